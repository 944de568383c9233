#include "foundation/StartupTimeline.h"

#include <glib.h>

#include <set>
#include <string>

#include "foundation/Log.h"

void StartupTimeline::mark(const char* milestone) {
    static const bool enabled = g_getenv("SITEBOX_TIMELINE") != nullptr;
    if (!enabled) {
        return;
    }
    // Main thread only, like every caller.
    static std::set<std::string> seen;
    if (seen.insert(milestone).second) {
        Log::print("timeline ", g_get_real_time(), " ", milestone);
    }
}
