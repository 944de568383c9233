#include "foundation/MainThread.h"

#include <glib.h>

#include <thread>

namespace {
// Static initialisation runs on the thread that starts the process.
const std::thread::id gMainThread = std::this_thread::get_id();
}  // namespace

void MainThread::post(std::function<void()> work) {
    auto* heap = new std::function<void()>(std::move(work));  // owned by the idle source
    g_idle_add_full(
        G_PRIORITY_DEFAULT,
        [](gpointer data) -> gboolean {
            (*static_cast<std::function<void()>*>(data))();
            return G_SOURCE_REMOVE;
        },
        heap, [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
}

bool MainThread::isMain() {
    return std::this_thread::get_id() == gMainThread;
}
