#include "FakeNotificationServer.h"

#include <stdexcept>

#include "DBusCall.h"
#include "MainLoopWait.h"
#include "PrivateBus.h"

namespace {
const char* const kName = "org.freedesktop.Notifications";
const char* const kPath = "/org/freedesktop/Notifications";

const char* const kXml = R"xml(<node>
  <interface name="org.freedesktop.Notifications">
    <method name="GetCapabilities"><arg type="as" direction="out"/></method>
    <method name="Notify">
      <arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
      <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
      <arg type="a{sv}" direction="in"/><arg type="i" direction="in"/>
      <arg type="u" direction="out"/>
    </method>
    <method name="CloseNotification"><arg type="u" direction="in"/></method>
    <method name="GetServerInformation">
      <arg type="s" direction="out"/><arg type="s" direction="out"/>
      <arg type="s" direction="out"/><arg type="s" direction="out"/>
    </method>
    <signal name="NotificationClosed"><arg type="u"/><arg type="u"/></signal>
    <signal name="ActionInvoked"><arg type="u"/><arg type="s"/></signal>
  </interface>
</node>)xml";

GDBusNodeInfo* nodeInfo() {
    static GDBusNodeInfo* info = g_dbus_node_info_new_for_xml(kXml, nullptr);
    return info;
}
}  // namespace

FakeNotificationServer::FakeNotificationServer(const PrivateBus& bus, bool bodyMarkup)
    : connection_(bus.connect()), bodyMarkup_(bodyMarkup) {
    static const GDBusInterfaceVTable vtable = {
        &FakeNotificationServer::methodCall, nullptr, nullptr, {}};
    registration_ = g_dbus_connection_register_object(
        connection_.get(), kPath, nodeInfo()->interfaces[0], &vtable, this, nullptr, nullptr);
    CallResult owned =
        callAndWait(connection_.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                    "org.freedesktop.DBus", "RequestName", g_variant_new("(su)", kName, 4u));
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
    std::string name = method;
    if (name == "GetCapabilities") {
        const char* withMarkup[] = {"actions", "body", "body-markup", nullptr};
        const char* plain[] = {"actions", "body", nullptr};
        g_dbus_method_invocation_return_value(
            invocation, g_variant_new("(^as)", self->bodyMarkup_ ? withMarkup : plain));
    } else if (name == "GetServerInformation") {
        g_dbus_method_invocation_return_value(
            invocation, g_variant_new("(ssss)", "FakeServer", "Sitebox tests", "1", "1.2"));
    } else if (name == "Notify") {
        Notification notification;
        const char *appName, *icon, *summary, *body;
        guint32 replaces = 0;
        GVariantIter* actions = nullptr;
        g_variant_get(parameters, "(&su&s&s&sas@a{sv}i)", &appName, &replaces, &icon, &summary,
                      &body, &actions, nullptr, nullptr);
        notification.id =
            replaces ? replaces : static_cast<std::uint32_t>(self->notifications_.size() + 1);
        notification.sender = sender;
        notification.appName = appName;
        notification.summary = summary;
        notification.body = body;
        const char* action = nullptr;
        while (g_variant_iter_next(actions, "&s", &action)) {
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
        if (const Notification* notification = self->find(id)) {
            self->emit(*notification, "NotificationClosed", g_variant_new("(uu)", id, 3u));
        }
    } else {
        g_dbus_method_invocation_return_dbus_error(
            invocation, "org.freedesktop.DBus.Error.UnknownMethod", method);
    }
}

const FakeNotificationServer::Notification* FakeNotificationServer::find(std::uint32_t id) const {
    for (const Notification& notification : notifications_) {
        if (notification.id == id) {
            return &notification;
        }
    }
    return nullptr;
}

void FakeNotificationServer::emit(const Notification& notification, const char* signal,
                                  GVariant* parameters) {
    g_dbus_connection_emit_signal(connection_.get(), notification.sender.c_str(), kPath, kName,
                                  signal, parameters, nullptr);
}

bool FakeNotificationServer::waitForNotifications(std::size_t count) {
    return waitUntil([&] { return notifications_.size() >= count; });
}

void FakeNotificationServer::invokeAction(std::uint32_t id, const std::string& action) {
    if (const Notification* notification = find(id)) {
        emit(*notification, "ActionInvoked", g_variant_new("(us)", id, action.c_str()));
    }
}

void FakeNotificationServer::close(std::uint32_t id, std::uint32_t reason) {
    if (const Notification* notification = find(id)) {
        emit(*notification, "NotificationClosed", g_variant_new("(uu)", id, reason));
    }
}
