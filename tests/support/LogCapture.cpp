#include "LogCapture.h"

#include <cstdio>

#include "foundation/Log.h"

namespace {
std::vector<std::string> gLines;

void sink(std::string_view line) {
    gLines.emplace_back(line);
    // Still show the line in the test output.
    std::fprintf(stderr, "[log] %.*s\n", static_cast<int>(line.size()), line.data());
}
}  // namespace

LogCapture::LogCapture() {
    gLines.clear();
    Log::setSink(sink);
}

LogCapture::~LogCapture() {
    Log::setSink(nullptr);
}

const std::vector<std::string>& LogCapture::lines() const {
    return gLines;
}

size_t LogCapture::count(const std::string& text) const {
    size_t count = 0;
    for (const std::string& line : gLines) {
        count += line.find(text) != std::string::npos;
    }
    return count;
}

void LogCapture::clear() {
    gLines.clear();
}
