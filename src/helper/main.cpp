// CorvaHelper: keeps web-form logins in the keyring and shows notifications for the shell,
// serving com.KVX.corvahelper on the session bus (which starts it on the shell's first call).
#include <gio/gio.h>
#include <glib-unix.h>

#include <csignal>
#include <memory>

#include "foundation/GObjectPtr.h"
#include "foundation/Log.h"
#include "helper/CorvaHelper.h"
#include "helper/CorvaInterfaces.h"
#include "helper/KeychainManager.h"
#include "helper/LibnotifyPoster.h"
#include "helper/SecretServiceItemStore.h"
#include "helper/ServiceDelegate.h"

namespace {
struct MainLoopDeleter {
    void operator()(GMainLoop* loop) const { g_main_loop_unref(loop); }
};

struct Run {
    std::unique_ptr<GMainLoop, MainLoopDeleter> loop{g_main_loop_new(nullptr, FALSE)};
    int status = 0;
};

gboolean quit(gpointer data) {
    g_main_loop_quit(static_cast<Run*>(data)->loop.get());
    return G_SOURCE_CONTINUE;
}
}  // namespace

int main() {
    // A shell that went away while a reply was being written must not kill the helper.
    std::signal(SIGPIPE, SIG_IGN);
    GErrorPtr error;
    auto bus = GObjectPtr<GDBusConnection>::adopt(
        g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, error.out()));
    if (!bus) {
        Log::warning("CorvaHelper: no session bus: ", error.message());
        return 1;
    }
    // Leaving when the bus goes away is done through the main loop, below.
    g_dbus_connection_set_exit_on_close(bus.get(), FALSE);

    Run run;
    SecretServiceItemStore store;
    KeychainManager keychain(store);
    LibnotifyPoster poster("CorvaHelper");
    ServiceDelegate delegate(bus.get());
    CorvaHelper helper(
        keychain, poster,
        [&delegate](const std::string& sender, const std::optional<std::string>& action,
                    const std::string& identifier, const std::string& token) {
            delegate.notificationAction(sender, action, identifier, token);
        });
    if (!delegate.exportHelper(helper)) {
        return 1;
    }
    // The object is served before the name is taken, so the first call always finds it.
    guint owner = g_bus_own_name_on_connection(
        bus.get(), CorvaInterfaces::kBusName, G_BUS_NAME_OWNER_FLAGS_DO_NOT_QUEUE, nullptr,
        [](GDBusConnection*, const gchar* name, gpointer data) {
            Log::warning("CorvaHelper: lost or could not take the name ", name,
                         " (another helper runs, or the bus went away)");
            auto* run = static_cast<Run*>(data);
            run->status = 1;
            g_main_loop_quit(run->loop.get());
        },
        &run, nullptr);
    g_unix_signal_add(SIGTERM, &quit, &run);
    g_unix_signal_add(SIGINT, &quit, &run);
    g_main_loop_run(run.loop.get());
    g_bus_unown_name(owner);
    return run.status;
}
