#include "BusFixtures.h"

#include <sys/stat.h>

#include <csignal>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "FileGuards.h"
#include "MainLoopWait.h"
#include "TestHome.h"
#include "helper/CorvaInterfaces.h"
#include "helper/WireValue.h"

CallResult callAndWait(GDBusConnection* connection, const char* busName, const char* path,
                       const char* interface, const char* method, GVariant* parameters,
                       int timeoutMs) {
    struct State {
        bool done = false;
        CallResult result;
    };
    auto state = std::make_shared<State>();
    g_dbus_connection_call(
        connection, busName, path, interface, method, parameters, nullptr, G_DBUS_CALL_FLAGS_NONE,
        timeoutMs, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<std::shared_ptr<State>> holder(
                static_cast<std::shared_ptr<State>*>(data));
            CallResult& call = (*holder)->result;
            GErrorPtr error;
            call.reply = VariantRef::adopt(
                g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, error.out()));
            if (error) {
                GCharPtr remote(g_dbus_error_get_remote_error(error.get()));
                call.errorName = remote ? remote.get() : error.message();
                g_dbus_error_strip_remote_error(error.get());
                call.errorMessage = error.message();
            }
            (*holder)->done = true;
        },
        new std::shared_ptr<State>(state));
    if (!waitUntil([&] { return state->done; }, timeoutMs + 5000)) {
        state->result.errorName = "timed out in the test";
    }
    return state->result;
}

PrivateBus::PrivateBus(const std::vector<std::string>& serviceFolders)
    : bus_(GObjectPtr<GTestDBus>::adopt(g_test_dbus_new(G_TEST_DBUS_NONE))) {
    for (const std::string& folder : serviceFolders) {
        g_test_dbus_add_service_dir(bus_.get(), folder.c_str());
    }
    g_test_dbus_up(bus_.get());
    if (!g_test_dbus_get_bus_address(bus_.get())) {
        throw std::runtime_error("the private session bus did not start");
    }
}

PrivateBus::~PrivateBus() {
    // Each test case is a process of its own: waiting for every holder of the session bus
    // connection (an application object, say) to let go would only cost a 30 s timeout, and
    // disposing of the object waits so. It is left to the process's end.
    g_test_dbus_stop(bus_.get());
    bus_.release();
}

std::string PrivateBus::address() const {
    return g_test_dbus_get_bus_address(bus_.get());
}

GObjectPtr<GDBusConnection> PrivateBus::connect() const {
    GErrorPtr error;
    auto connection = GObjectPtr<GDBusConnection>::adopt(g_dbus_connection_new_for_address_sync(
        address().c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, error.out()));
    if (!connection) {
        throw std::runtime_error(std::string("cannot connect to the private bus: ") +
                                 error.message());
    }
    g_dbus_connection_set_exit_on_close(connection.get(), FALSE);
    return connection;
}

pid_t PrivateBus::ownerPid(GDBusConnection* connection, const std::string& name) const {
    CallResult result = callAndWait(connection, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                    "org.freedesktop.DBus", "GetConnectionUnixProcessID",
                                    g_variant_new("(s)", name.c_str()));
    guint32 pid = 0;
    if (result.ok()) {
        g_variant_get(result.reply.get(), "(u)", &pid);
    }
    return static_cast<pid_t>(pid);
}

bool PrivateBus::waitForOwner(GDBusConnection* connection, const std::string& name,
                              bool owned) const {
    std::optional<bool> seen;  // unknown until the first answer
    guint id = g_bus_watch_name_on_connection(
        connection, name.c_str(), G_BUS_NAME_WATCHER_FLAGS_NONE,
        [](GDBusConnection*, const gchar*, const gchar*, gpointer data) {
            *static_cast<std::optional<bool>*>(data) = true;
        },
        [](GDBusConnection*, const gchar*, gpointer data) {
            *static_cast<std::optional<bool>*>(data) = false;
        },
        &seen, nullptr);
    bool reached = waitUntil([&] { return seen == owned; });
    g_bus_unwatch_name(id);
    return reached;
}

BusProcess::BusProcess(const PrivateBus& bus, const std::vector<std::string>& argv,
                       const std::optional<std::string>& input)
    : logPath_(TestHome::path() + "/" + GCharPtr(g_path_get_basename(argv[0].c_str())).get() +
               ".log") {
    const std::string runtime = TestHome::path() + "/run";
    mkdir(runtime.c_str(), 0700);
    auto launcher = GObjectPtr<GSubprocessLauncher>::adopt(g_subprocess_launcher_new(
        input ? static_cast<GSubprocessFlags>(G_SUBPROCESS_FLAGS_STDIN_PIPE |
                                              G_SUBPROCESS_FLAGS_STDOUT_SILENCE)
              : G_SUBPROCESS_FLAGS_STDOUT_SILENCE));
    g_subprocess_launcher_setenv(launcher.get(), "DBUS_SESSION_BUS_ADDRESS", bus.address().c_str(),
                                 TRUE);
    g_subprocess_launcher_setenv(launcher.get(), "XDG_RUNTIME_DIR", runtime.c_str(), TRUE);
    g_subprocess_launcher_set_stderr_file_path(launcher.get(), logPath_.c_str());
    std::vector<const char*> args;
    for (const std::string& arg : argv) {
        args.push_back(arg.c_str());
    }
    args.push_back(nullptr);
    GErrorPtr error;
    process_ = GObjectPtr<GSubprocess>::adopt(
        g_subprocess_launcher_spawnv(launcher.get(), args.data(), error.out()));
    if (!process_) {
        throw std::runtime_error("cannot start " + argv[0] + ": " + error.message());
    }
    if (input) {
        GOutputStream* stream = g_subprocess_get_stdin_pipe(process_.get());
        g_output_stream_write_all(stream, input->data(), input->size(), nullptr, nullptr, nullptr);
        g_output_stream_close(stream, nullptr, nullptr);
    }
}

BusProcess::~BusProcess() {
    bool exited = false;
    g_subprocess_send_signal(process_.get(), SIGTERM);
    g_subprocess_wait_async(
        process_.get(), nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            g_subprocess_wait_finish(G_SUBPROCESS(source), result, nullptr);
            *static_cast<bool*>(data) = true;
        },
        &exited);
    if (!waitUntil([&] { return exited; }, 5000)) {
        g_subprocess_force_exit(process_.get());
        waitUntil([&] { return exited; }, 5000);
    }
}

std::string BusProcess::log() const {
    return readFileBytes(logPath_);
}

int BusProcess::countLines(const std::string& text) const {
    std::istringstream lines(log());
    int count = 0;
    for (std::string line; std::getline(lines, line);) {
        count += line.find(text) != std::string::npos ? 1 : 0;
    }
    return count;
}

std::string HelperProcess::builtHelperPath() {
    return SITEBOX_BUILT_HELPER;
}

HelperProcess::HelperProcess(const PrivateBus& bus) : BusProcess(bus, {builtHelperPath()}) {
    if (!bus.waitForOwner(bus.connect().get(), CorvaInterfaces::kBusName, true)) {
        throw std::runtime_error("CorvaHelper did not take its name; it logged: " + log());
    }
}

namespace {
const char* const kSecrets = "org.freedesktop.secrets";
const char* const kSecretsPath = "/org/freedesktop/secrets";
const char* const kSecretService = "org.freedesktop.Secret.Service";
}  // namespace

KeyringDaemon::KeyringDaemon(const PrivateBus& bus)
    : BusProcess(bus, {"gnome-keyring-daemon", "--foreground", "--unlock", "--components=secrets"},
                 "sitebox-test"),  // the login keyring's password
      connection_(bus.connect()) {
    if (!bus.waitForOwner(connection_.get(), kSecrets, true)) {
        throw std::runtime_error("gnome-keyring-daemon did not serve the Secret Service");
    }
}

bool KeyringDaemon::lockDefaultKeyring() {
    CallResult alias = callAndWait(connection_.get(), kSecrets, kSecretsPath, kSecretService,
                                   "ReadAlias", g_variant_new("(s)", "default"));
    const char* path = "/";
    if (alias.ok()) {
        g_variant_get(alias.reply.get(), "(&o)", &path);
    }
    if (std::string(path) == "/") {
        return false;
    }
    const char* objects[] = {path, nullptr};
    return callAndWait(connection_.get(), kSecrets, kSecretsPath, kSecretService, "Lock",
                       g_variant_new("(^ao)", objects))
        .ok();
}

ShellStub::ShellStub(const PrivateBus& bus) : connection_(bus.connect()) {
    static const GDBusInterfaceVTable vtable = {
        [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
           GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data) {
            VariantRef action = VariantRef::adopt(g_variant_get_child_value(parameters, 0));
            VariantRef identifier = VariantRef::adopt(g_variant_get_child_value(parameters, 1));
            VariantRef token = VariantRef::adopt(g_variant_get_child_value(parameters, 2));
            static_cast<ShellStub*>(data)->actions_.push_back(
                {WireValue::decodeOptionalString(action.get(), "action"),
                 WireValue::decodeString(identifier.get(), "identifier").value_or(""),
                 WireValue::decodeString(token.get(), "token").value_or("")});
            g_dbus_method_invocation_return_value(invocation, nullptr);
        },
        nullptr,
        nullptr,
        {}};
    registration_ = g_dbus_connection_register_object(
        connection_.get(), CorvaInterfaces::kInterfaceObjectPath,
        CorvaInterfaces::interfaceProtocol(), &vtable, this, nullptr, nullptr);
}

ShellStub::~ShellStub() {
    g_dbus_connection_unregister_object(connection_.get(), registration_);
    g_dbus_connection_close_sync(connection_.get(), nullptr, nullptr);
}

bool ShellStub::waitForActions(std::size_t count) {
    return waitUntil([&] { return actions_.size() >= count; });
}

namespace {
const char* const kNotifications = "org.freedesktop.Notifications";
const char* const kNotificationsPath = "/org/freedesktop/Notifications";
const char* const kNotificationsXml = R"xml(<node>
  <interface name="org.freedesktop.Notifications">
    <method name="GetCapabilities"><arg type="as" direction="out"/></method>
    <method name="Notify"><arg type="s"/><arg type="u"/><arg type="s"/><arg type="s"/>
      <arg type="s"/><arg type="as"/><arg type="a{sv}"/><arg type="i"/>
      <arg type="u" direction="out"/></method>
    <method name="CloseNotification"><arg type="u"/></method>
    <method name="GetServerInformation"><arg type="s" direction="out"/>
      <arg type="s" direction="out"/><arg type="s" direction="out"/><arg type="s" direction="out"/>
    </method>
    <signal name="NotificationClosed"><arg type="u"/><arg type="u"/></signal>
    <signal name="ActionInvoked"><arg type="u"/><arg type="s"/></signal>
    <signal name="ActivationToken"><arg type="u"/><arg type="s"/></signal>
  </interface>
</node>)xml";
}  // namespace

FakeNotificationServer::FakeNotificationServer(const PrivateBus& bus, bool bodyMarkup)
    : connection_(bus.connect()), bodyMarkup_(bodyMarkup) {
    static GDBusNodeInfo* info = g_dbus_node_info_new_for_xml(kNotificationsXml, nullptr);
    static const GDBusInterfaceVTable vtable = {
        &FakeNotificationServer::methodCall, nullptr, nullptr, {}};
    registration_ =
        g_dbus_connection_register_object(connection_.get(), kNotificationsPath,
                                          info->interfaces[0], &vtable, this, nullptr, nullptr);
    CallResult owned = callAndWait(connection_.get(), "org.freedesktop.DBus",
                                   "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
                                   g_variant_new("(su)", kNotifications, 4u));
    guint32 answer = 0;
    if (owned.ok()) {
        g_variant_get(owned.reply.get(), "(u)", &answer);
    }
    if (!registration_ || answer != 1) {
        throw std::runtime_error("the fake notification server could not take its name");
    }
}

FakeNotificationServer::~FakeNotificationServer() {
    g_dbus_connection_unregister_object(connection_.get(), registration_);
    g_dbus_connection_close_sync(connection_.get(), nullptr, nullptr);
}

void FakeNotificationServer::methodCall(GDBusConnection*, const gchar* sender, const gchar*,
                                        const gchar*, const gchar* method, GVariant* parameters,
                                        GDBusMethodInvocation* invocation, gpointer data) {
    auto* self = static_cast<FakeNotificationServer*>(data);
    const std::string name = method;
    if (name == "GetCapabilities") {
        const char* withMarkup[] = {"actions", "body", "body-markup", nullptr};
        const char* plain[] = {"actions", "body", nullptr};
        g_dbus_method_invocation_return_value(
            invocation, g_variant_new("(^as)", self->bodyMarkup_ ? withMarkup : plain));
    } else if (name == "GetServerInformation") {
        g_dbus_method_invocation_return_value(
            invocation, g_variant_new("(ssss)", "FakeServer", "Sitebox tests", "1", "1.2"));
    } else if (name == "Notify") {
        const char *appName, *icon, *summary, *body;
        guint32 replaces = 0;
        GVariantIter* actions = nullptr;
        g_variant_get(parameters, "(&su&s&s&sas@a{sv}i)", &appName, &replaces, &icon, &summary,
                      &body, &actions, nullptr, nullptr);
        std::uint32_t id =
            replaces ? replaces : static_cast<std::uint32_t>(self->notifications_.size() + 1);
        Notification notification{id, sender, appName, summary, body, {}};
        for (const char* action = nullptr; g_variant_iter_next(actions, "&s", &action);) {
            notification.actions.emplace_back(action);
        }
        g_variant_iter_free(actions);
        self->notifications_.push_back(notification);
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(u)", notification.id));
    } else if (name == "CloseNotification") {
        guint32 id = 0;
        g_variant_get(parameters, "(u)", &id);
        self->closeRequests_.push_back(id);
        g_dbus_method_invocation_return_value(invocation, nullptr);
        self->close(id, 3);
    } else {
        g_dbus_method_invocation_return_dbus_error(
            invocation, "org.freedesktop.DBus.Error.UnknownMethod", method);
    }
}

bool FakeNotificationServer::waitForNotifications(std::size_t count) {
    return waitUntil([&] { return notifications_.size() >= count; });
}

void FakeNotificationServer::emit(std::uint32_t id, const char* signal, GVariant* parameters) {
    for (const Notification& notification : notifications_) {
        if (notification.id == id) {
            g_dbus_connection_emit_signal(connection_.get(), notification.sender.c_str(),
                                          kNotificationsPath, kNotifications, signal, parameters,
                                          nullptr);
            return;
        }
    }
    g_variant_unref(g_variant_ref_sink(parameters));
}

void FakeNotificationServer::invokeAction(std::uint32_t id, const std::string& action,
                                          const std::string& activationToken) {
    if (!activationToken.empty()) {
        emit(id, "ActivationToken", g_variant_new("(us)", id, activationToken.c_str()));
    }
    emit(id, "ActionInvoked", g_variant_new("(us)", id, action.c_str()));
}

void FakeNotificationServer::close(std::uint32_t id, std::uint32_t reason) {
    emit(id, "NotificationClosed", g_variant_new("(uu)", id, reason));
}
