#include "PrivateBus.h"

#include <stdexcept>

#include "DBusCall.h"
#include "MainLoopWait.h"

PrivateBus::PrivateBus(const std::vector<std::string>& serviceFolders) {
    bus_ = g_test_dbus_new(G_TEST_DBUS_NONE);
    for (const std::string& folder : serviceFolders) {
        g_test_dbus_add_service_dir(bus_, folder.c_str());
    }
    g_test_dbus_up(bus_);
    if (!g_test_dbus_get_bus_address(bus_)) {
        throw std::runtime_error("the private session bus did not start");
    }
}

PrivateBus::~PrivateBus() {
    g_test_dbus_down(bus_);
    g_object_unref(bus_);
}

std::string PrivateBus::address() const {
    return g_test_dbus_get_bus_address(bus_);
}

GObjectPtr<GDBusConnection> PrivateBus::connect() const {
    GErrorPtr error;
    auto connection = GObjectPtr<GDBusConnection>::adopt(g_dbus_connection_new_for_address_sync(
        g_test_dbus_get_bus_address(bus_),
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
    if (!result.ok()) {
        return 0;
    }
    guint32 pid = 0;
    g_variant_get(result.reply.get(), "(u)", &pid);
    return static_cast<pid_t>(pid);
}

bool PrivateBus::waitForOwner(GDBusConnection* connection, const std::string& name, bool owned,
                              int timeoutMs) const {
    struct Watch {
        bool known = false;
        bool owned = false;
    } watch;
    guint id = g_bus_watch_name_on_connection(
        connection, name.c_str(), G_BUS_NAME_WATCHER_FLAGS_NONE,
        [](GDBusConnection*, const gchar*, const gchar*, gpointer data) {
            *static_cast<Watch*>(data) = {true, true};
        },
        [](GDBusConnection*, const gchar*, gpointer data) {
            *static_cast<Watch*>(data) = {true, false};
        },
        &watch, nullptr);
    bool reached = waitUntil([&] { return watch.known && watch.owned == owned; }, timeoutMs);
    g_bus_unwatch_name(id);
    return reached;
}
