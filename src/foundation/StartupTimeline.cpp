#include "foundation/StartupTimeline.h"

#include <glib.h>

#include <set>
#include <string>

void StartupTimeline::mark(const char* milestone) {
    static const bool enabled = g_getenv("SITEBOX_TIMELINE") != nullptr;
    if (!enabled) {
        return;
    }
    // Main thread only, like every caller.
    static std::set<std::string> seen;
    if (seen.insert(milestone).second) {
        // Asked for by name, so shown without G_MESSAGES_DEBUG (which would add every routine
        // line to the measured start).
        g_log_structured("Sitebox", G_LOG_LEVEL_MESSAGE, "MESSAGE",
                         "timeline %" G_GINT64_FORMAT " %s", g_get_real_time(), milestone);
    }
}
