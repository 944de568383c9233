#include "statusbar/StatusNotifierItem.h"

#include <glibmm/main.h>
#include <unistd.h>

#include <utility>

#include "foundation/Log.h"
#include "statusbar/StatusItemIcon.h"

namespace {
constexpr const char* kInterface = "org.kde.StatusNotifierItem";
constexpr const char* kInterfaceXml = R"xml(<node>
  <interface name="org.kde.StatusNotifierItem">
    <property name="Category" type="s" access="read"/>
    <property name="Id" type="s" access="read"/>
    <property name="Title" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="WindowId" type="i" access="read"/>
    <property name="IconName" type="s" access="read"/>
    <property name="IconPixmap" type="a(iiay)" access="read"/>
    <property name="OverlayIconName" type="s" access="read"/>
    <property name="OverlayIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionIconName" type="s" access="read"/>
    <property name="AttentionIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionMovieName" type="s" access="read"/>
    <property name="ToolTip" type="(sa(iiay)ss)" access="read"/>
    <property name="ItemIsMenu" type="b" access="read"/>
    <property name="Menu" type="o" access="read"/>
    <method name="ContextMenu"><arg type="i" direction="in"/><arg type="i" direction="in"/></method>
    <method name="Activate"><arg type="i" direction="in"/><arg type="i" direction="in"/></method>
    <method name="SecondaryActivate">
      <arg type="i" direction="in"/><arg type="i" direction="in"/>
    </method>
    <method name="Scroll"><arg type="i" direction="in"/><arg type="s" direction="in"/></method>
    <signal name="NewTitle"/>
    <signal name="NewIcon"/>
    <signal name="NewAttentionIcon"/>
    <signal name="NewOverlayIcon"/>
    <signal name="NewToolTip"/>
    <signal name="NewStatus"><arg type="s"/></signal>
  </interface>
</node>)xml";
// Without a picture of its own, hosts show a generic program icon.
constexpr const char* kFallbackIconName = "application-x-executable";

GVariant* emptyPixmaps() {
    return g_variant_new_array(G_VARIANT_TYPE("(iiay)"), nullptr, 0);
}
}  // namespace

StatusNotifierItem::StatusNotifierItem(GDBusConnection* connection, std::string id,
                                       std::string title, Events events)
    : connection_(connection),
      id_(std::move(id)),
      title_(std::move(title)),
      events_(std::move(events)) {
    static int instances = 0;
    busName_ = "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-" +
               std::to_string(++instances);
    static GDBusNodeInfo* info = g_dbus_node_info_new_for_xml(kInterfaceXml, nullptr);
    static const GDBusInterfaceVTable vtable = {methodCall, getProperty, nullptr, {}};
    GErrorPtr error;
    registration_ = g_dbus_connection_register_object(connection_, kObjectPath, info->interfaces[0],
                                                      &vtable, this, nullptr, error.out());
    if (!registration_) {
        Log::warning("the tray item is not exported: ", error.message());
    }
    menu_ = std::make_unique<DbusMenu>(connection_,
                                       [this](TrayCommand command) { events_.command(command); });
}

StatusNotifierItem::~StatusNotifierItem() {
    if (watcherWatch_) {
        g_bus_unwatch_name(watcherWatch_);
    }
    if (registration_) {
        g_dbus_connection_unregister_object(connection_, registration_);
    }
    if (!busName_.empty()) {
        // Nothing waits for the answer: the shared connection outlives the item.
        g_dbus_connection_call(connection_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                               "org.freedesktop.DBus", "ReleaseName",
                               g_variant_new("(s)", busName_.c_str()), nullptr,
                               G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr, nullptr);
    }
}

void StatusNotifierItem::registerWithWatcher(std::function<void(bool)> done) {
    done_ = std::move(done);
    if (!registration_ || !menu_->exported()) {
        finish(false);
        return;
    }
    auto [callback, data] = async_.callback([this](GObject* source, GAsyncResult* result) {
        GErrorPtr error;
        GVariant* reply =
            g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, error.out());
        guint32 answer = 0;
        if (reply) {
            g_variant_get(reply, "(u)", &answer);
            g_variant_unref(reply);
        }
        if (AsyncScope::failed(error.get(), "asking for the tray item's bus name") ||
            answer != 1) {  // 1: this connection is the name's owner now
            Log::warning("the tray item did not get the bus name ", busName_);
            finish(false);
            return;
        }
        registerItem();
    });
    g_dbus_connection_call(
        connection_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "RequestName", g_variant_new("(su)", busName_.c_str(), 4u),  // do not queue
        G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, -1, async_.cancellable(), callback, data);
}

void StatusNotifierItem::registerItem() {
    auto [callback, data] = async_.callback([this](GObject* source, GAsyncResult* result) {
        GErrorPtr error;
        GVariant* reply =
            g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, error.out());
        if (reply) {
            g_variant_unref(reply);
        }
        if (error) {
            if (!error.matches(G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
                Log::warning("no StatusNotifierWatcher took the tray item: ", error.message());
                finish(false);
            }
            return;
        }
        askForHost();
    });
    g_dbus_connection_call(connection_, kWatcherName, kWatcherPath, kWatcherName,
                           "RegisterStatusNotifierItem", g_variant_new("(s)", busName_.c_str()),
                           nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START, 5000, async_.cancellable(),
                           callback, data);
}

void StatusNotifierItem::askForHost() {
    auto [callback, data] = async_.callback([this](GObject* source, GAsyncResult* result) {
        GErrorPtr error;
        GVariant* reply =
            g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, error.out());
        bool host = true;  // a watcher that cannot say is taken at its word
        if (reply) {
            GVariant* value = nullptr;
            g_variant_get(reply, "(v)", &value);
            if (g_variant_is_of_type(value, G_VARIANT_TYPE_BOOLEAN)) {
                host = g_variant_get_boolean(value);
            } else {
                Log::warningLine(
                    "the StatusNotifierWatcher's host flag is no boolean; taken as true");
            }
            g_variant_unref(value);
            g_variant_unref(reply);
        } else if (error && error.matches(G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
            return;
        }
        if (!host) {
            Log::warningLine("the StatusNotifierWatcher runs, but no tray host shows its items");
        }
        finish(host);
    });
    g_dbus_connection_call(connection_, kWatcherName, kWatcherPath,
                           "org.freedesktop.DBus.Properties", "Get",
                           g_variant_new("(ss)", kWatcherName, "IsStatusNotifierHostRegistered"),
                           G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NO_AUTO_START, 5000,
                           async_.cancellable(), callback, data);
}

namespace {
// What a bus-name watch holds of the item: the item owns the watch, but GIO may call back once
// more after the item stopped watching.
struct WatchTarget {
    std::weak_ptr<void> alive;
    StatusNotifierItem* item;
    bool lost = false;
};
}  // namespace

void StatusNotifierItem::finish(bool shown) {
    const bool first = !registered_;
    registered_ = registered_ || shown;
    if (shown && !watcherWatch_) {
        watcherWatch_ = g_bus_watch_name_on_connection(
            connection_, kWatcherName, G_BUS_NAME_WATCHER_FLAGS_NONE, watcherAppeared,
            watcherVanished, new WatchTarget{life_.watch(), this},
            [](gpointer target) { delete static_cast<WatchTarget*>(target); });
    }
    if (first && done_) {
        std::function<void(bool)> done = std::move(done_);
        done_ = nullptr;
        done(shown);
    }
}

void StatusNotifierItem::watcherAppeared(GDBusConnection*, const gchar*, const gchar*,
                                         gpointer data) {
    auto* target = static_cast<WatchTarget*>(data);
    // A desktop shell that restarted brings a new watcher, which knows nothing of the item.
    if (std::exchange(target->lost, false) && !target->alive.expired()) {
        Log::line("a StatusNotifierWatcher came back; the tray item registers again");
        target->item->registerItem();
    }
}

void StatusNotifierItem::watcherVanished(GDBusConnection*, const gchar*, gpointer data) {
    static_cast<WatchTarget*>(data)->lost = true;
}

void StatusNotifierItem::setIcon(std::vector<Image> pixmaps) {
    icon_ = std::move(pixmaps);
    if (registration_) {
        g_dbus_connection_emit_signal(connection_, nullptr, kObjectPath, kInterface, "NewIcon",
                                      nullptr, nullptr);
    }
}

GVariant* StatusNotifierItem::pixmaps() const {
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("a(iiay)"));
    for (const Image& image : icon_) {
        const std::string bytes = StatusItemIcon::argb32(image);
        if (bytes.empty()) {
            continue;
        }
        g_variant_builder_add(
            &builder, "(ii@ay)", image.pixelWidth(), image.pixelHeight(),
            g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, bytes.data(), bytes.size(), 1));
    }
    return g_variant_builder_end(&builder);
}

void StatusNotifierItem::methodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                    const gchar* method, GVariant* parameters,
                                    GDBusMethodInvocation* invocation, gpointer data) {
    auto* self = static_cast<StatusNotifierItem*>(data);
    const std::string name = method;
    g_dbus_method_invocation_return_value(invocation, nullptr);
    if (name == "Scroll") {
        return;  // nothing to scroll through
    }
    gint32 x = 0, y = 0;
    g_variant_get(parameters, "(ii)", &x, &y);
    const Point at{static_cast<double>(x), static_cast<double>(y)};
    // Acted on after the reply has gone, in the main loop's own time.
    std::function<void(Point)> handler =
        name == "Activate" ? self->events_.activate : self->events_.contextMenu;
    Glib::signal_idle().connect_once([alive = self->life_.watch(), handler, at] {
        if (!alive.expired() && handler) {
            handler(at);
        }
    });
}

GVariant* StatusNotifierItem::getProperty(GDBusConnection*, const gchar*, const gchar*,
                                          const gchar*, const gchar* property, GError** error,
                                          gpointer data) {
    auto* self = static_cast<StatusNotifierItem*>(data);
    const std::string name = property;
    if (name == "Category") {
        return g_variant_new_string("ApplicationStatus");
    }
    if (name == "Id") {
        return g_variant_new_string(self->id_.c_str());
    }
    if (name == "Title") {
        return g_variant_new_string(self->title_.c_str());
    }
    if (name == "Status") {
        return g_variant_new_string("Active");
    }
    if (name == "WindowId") {
        return g_variant_new_int32(0);
    }
    if (name == "IconName") {
        return g_variant_new_string(self->icon_.empty() ? kFallbackIconName : "");
    }
    if (name == "IconPixmap") {
        return self->pixmaps();
    }
    if (name == "OverlayIconPixmap" || name == "AttentionIconPixmap") {
        return emptyPixmaps();
    }
    if (name == "OverlayIconName" || name == "AttentionIconName" || name == "AttentionMovieName") {
        return g_variant_new_string("");
    }
    if (name == "ToolTip") {
        return g_variant_new("(s@a(iiay)ss)", "", emptyPixmaps(), self->title_.c_str(), "");
    }
    if (name == "ItemIsMenu") {
        return g_variant_new_boolean(FALSE);
    }
    if (name == "Menu") {
        return g_variant_new_object_path(DbusMenu::kObjectPath);
    }
    g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "no property %s", property);
    return nullptr;
}
