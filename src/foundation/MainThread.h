#pragma once

#include <functional>

// Reaching the GLib main loop (the main thread) from workers.
class MainThread {
  public:
    // Queues `work` on the default main context; runs later even when called from the main
    // thread, so callers never re-enter themselves.
    static void post(std::function<void()> work);
    // True on the thread that started the process.
    static bool isMain();
};
