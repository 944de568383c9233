#include "MainLoopWait.h"

#include <glib.h>

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    bool timedOut = false;
    guint deadline = g_timeout_add(
        static_cast<guint>(timeoutMs),
        [](gpointer flag) -> gboolean {
            *static_cast<bool*>(flag) = true;
            return G_SOURCE_REMOVE;
        },
        &timedOut);
    guint ticker = g_timeout_add(
        5, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr);
    while (!condition() && !timedOut) {
        g_main_context_iteration(nullptr, TRUE);
    }
    g_source_remove(ticker);
    if (!timedOut) {
        g_source_remove(deadline);
    }
    return condition();
}

void drainMainContext() {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}
