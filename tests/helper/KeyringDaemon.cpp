#include "KeyringDaemon.h"

#include <sys/stat.h>

#include <csignal>
#include <stdexcept>

#include "DBusCall.h"
#include "MainLoopWait.h"
#include "PrivateBus.h"
#include "TestHome.h"

namespace {
const char* const kSecrets = "org.freedesktop.secrets";

bool waitForExit(GSubprocess* process, int timeoutMs) {
    bool exited = false;
    g_subprocess_wait_async(
        process, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            g_subprocess_wait_finish(G_SUBPROCESS(source), result, nullptr);
            *static_cast<bool*>(data) = true;
        },
        &exited);
    if (waitUntil([&] { return exited; }, timeoutMs)) {
        return true;
    }
    g_subprocess_force_exit(process);
    waitUntil([&] { return exited; }, timeoutMs);
    return false;
}
}  // namespace

KeyringDaemon::KeyringDaemon(const PrivateBus& bus) : connection_(bus.connect()) {
    std::string runtime = TestHome::path() + "/run";
    mkdir(runtime.c_str(), 0700);
    auto launcher = GObjectPtr<GSubprocessLauncher>::adopt(
        g_subprocess_launcher_new(static_cast<GSubprocessFlags>(
            G_SUBPROCESS_FLAGS_STDIN_PIPE | G_SUBPROCESS_FLAGS_STDOUT_SILENCE)));
    g_subprocess_launcher_setenv(launcher.get(), "DBUS_SESSION_BUS_ADDRESS", bus.address().c_str(),
                                 TRUE);
    g_subprocess_launcher_setenv(launcher.get(), "XDG_RUNTIME_DIR", runtime.c_str(), TRUE);
    GErrorPtr error;
    process_ = GObjectPtr<GSubprocess>::adopt(
        g_subprocess_launcher_spawn(launcher.get(), error.out(), "gnome-keyring-daemon",
                                    "--foreground", "--unlock", "--components=secrets", nullptr));
    if (!process_) {
        throw std::runtime_error(std::string("cannot start gnome-keyring-daemon: ") +
                                 error.message());
    }
    // The login keyring's password, then end of input.
    GOutputStream* input = g_subprocess_get_stdin_pipe(process_.get());
    const char password[] = "sitebox-test";
    g_output_stream_write_all(input, password, sizeof password - 1, nullptr, nullptr, nullptr);
    g_output_stream_close(input, nullptr, nullptr);
    if (!bus.waitForOwner(connection_.get(), kSecrets, true)) {
        throw std::runtime_error("gnome-keyring-daemon did not serve the Secret Service");
    }
}

KeyringDaemon::~KeyringDaemon() {
    if (process_) {
        g_subprocess_send_signal(process_.get(), SIGTERM);
        waitForExit(process_.get(), 5000);
    }
}

std::string KeyringDaemon::defaultKeyring() {
    CallResult alias =
        callAndWait(connection_.get(), kSecrets, "/org/freedesktop/secrets",
                    "org.freedesktop.Secret.Service", "ReadAlias", g_variant_new("(s)", "default"));
    if (!alias.ok()) {
        return {};
    }
    const char* path = nullptr;
    g_variant_get(alias.reply.get(), "(&o)", &path);
    return std::string(path) == "/" ? std::string() : std::string(path);
}

bool KeyringDaemon::lockDefaultKeyring() {
    std::string path = defaultKeyring();
    if (path.empty()) {
        return false;
    }
    const char* objects[] = {path.c_str(), nullptr};
    CallResult locked =
        callAndWait(connection_.get(), kSecrets, "/org/freedesktop/secrets",
                    "org.freedesktop.Secret.Service", "Lock", g_variant_new("(^ao)", objects));
    return locked.ok();
}
