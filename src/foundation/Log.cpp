#include "foundation/Log.h"

#include <cstdio>
#include <mutex>
#include <set>

namespace {
std::mutex gMutex;
Log::Sink gSink = nullptr;
std::set<std::string, std::less<>>& onceKeys() {
    static std::set<std::string, std::less<>> keys;
    return keys;
}
}  // namespace

void Log::line(std::string_view text) {
    std::lock_guard lock(gMutex);
    if (gSink) {
        gSink(text);
        return;
    }
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
}

bool Log::once(std::string_view key, std::string_view text) {
    {
        std::lock_guard lock(gMutex);
        if (!onceKeys().emplace(key).second) {
            return false;
        }
    }
    line(text);
    return true;
}

void Log::setSink(Sink sink) {
    std::lock_guard lock(gMutex);
    gSink = sink;
}
