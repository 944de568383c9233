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

bool LogCapture::contains(const std::string& text) const {
    for (const std::string& line : gLines) {
        if (line.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

void LogCapture::clear() {
    gLines.clear();
}
