#include "foundation/Log.h"

#include <glib.h>

#include <mutex>
#include <set>

#include "foundation/Url.h"

namespace {
std::mutex gMutex;
Log::Sink gSink = nullptr;
std::set<std::string, std::less<>>& onceKeys() {
    static std::set<std::string, std::less<>> keys;
    return keys;
}
}  // namespace

void Log::write(Level level, std::string_view text) {
    {
        std::lock_guard lock(gMutex);
        if (gSink) {
            gSink(text);
            return;
        }
    }
    const std::string message(text);
    g_log_structured("Sitebox", level == Level::Warning ? G_LOG_LEVEL_WARNING : G_LOG_LEVEL_DEBUG,
                     "MESSAGE", "%s", message.c_str());
}

bool Log::once(std::string_view key, std::string_view text) {
    {
        std::lock_guard lock(gMutex);
        if (!onceKeys().emplace(key).second) {
            return false;
        }
    }
    warningLine(text);
    return true;
}

std::string Log::address(const std::string& url) {
    auto parsed = Url::parse(url);
    if (!parsed || !parsed->isAbsolute()) {
        return "(an address)";
    }
    if (parsed->host().empty()) {
        return parsed->scheme() + ":";  // data:, blob:, about: carry their content after it
    }
    std::string text = parsed->scheme() + "://" + parsed->host();
    if (parsed->port()) {
        text += ":" + std::to_string(*parsed->port());
    }
    return text + parsed->path();
}

void Log::setSink(Sink sink) {
    std::lock_guard lock(gMutex);
    gSink = sink;
}
