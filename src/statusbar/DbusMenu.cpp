#include "statusbar/DbusMenu.h"

#include <glibmm/main.h>

#include <string>
#include <vector>

#include "foundation/GObjectPtr.h"
#include "foundation/Log.h"

namespace {
constexpr const char* kInterfaceXml = R"xml(<node>
  <interface name="com.canonical.dbusmenu">
    <property name="Version" type="u" access="read"/>
    <property name="TextDirection" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="IconThemePath" type="as" access="read"/>
    <method name="GetLayout">
      <arg type="i" direction="in"/><arg type="i" direction="in"/><arg type="as" direction="in"/>
      <arg type="u" direction="out"/><arg type="(ia{sv}av)" direction="out"/>
    </method>
    <method name="GetGroupProperties">
      <arg type="ai" direction="in"/><arg type="as" direction="in"/>
      <arg type="a(ia{sv})" direction="out"/>
    </method>
    <method name="GetProperty">
      <arg type="i" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="out"/>
    </method>
    <method name="Event">
      <arg type="i" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="in"/>
      <arg type="u" direction="in"/>
    </method>
    <method name="EventGroup">
      <arg type="a(isvu)" direction="in"/><arg type="ai" direction="out"/>
    </method>
    <method name="AboutToShow">
      <arg type="i" direction="in"/><arg type="b" direction="out"/>
    </method>
    <method name="AboutToShowGroup">
      <arg type="ai" direction="in"/><arg type="ai" direction="out"/><arg type="ai" direction="out"/>
    </method>
    <signal name="ItemsPropertiesUpdated">
      <arg type="a(ia{sv})"/><arg type="a(ias)"/>
    </signal>
    <signal name="LayoutUpdated"><arg type="u"/><arg type="i"/></signal>
    <signal name="ItemActivationRequested"><arg type="i"/><arg type="u"/></signal>
  </interface>
</node>)xml";

constexpr guint32 kRevision = 1;  // the menu never changes
constexpr const char* kInvalidArgs = "org.freedesktop.DBus.Error.InvalidArgs";

const TrayMenuItem* itemWithId(int id) {
    for (const TrayMenuItem& item : kTrayMenuItems) {
        if (static_cast<int>(item.command) == id) {
            return &item;
        }
    }
    return nullptr;
}

bool isKnown(int id) {
    return id == 0 || itemWithId(id);
}

// The properties of the root (0) or an item, only those named when names are given.
GVariant* properties(int id, const std::vector<std::string>& names) {
    auto wanted = [&](const char* name) {
        if (names.empty()) {
            return true;
        }
        for (const std::string& n : names) {
            if (n == name) {
                return true;
            }
        }
        return false;
    };
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("a{sv}"));
    if (id == 0) {
        if (wanted("children-display")) {
            g_variant_builder_add(&builder, "{sv}", "children-display",
                                  g_variant_new_string("submenu"));
        }
    } else if (const TrayMenuItem* item = itemWithId(id)) {
        if (wanted("label")) {
            g_variant_builder_add(&builder, "{sv}", "label", g_variant_new_string(item->title));
        }
        if (wanted("enabled")) {
            g_variant_builder_add(&builder, "{sv}", "enabled", g_variant_new_boolean(TRUE));
        }
        if (wanted("visible")) {
            g_variant_builder_add(&builder, "{sv}", "visible", g_variant_new_boolean(TRUE));
        }
    }
    return g_variant_builder_end(&builder);
}

GVariant* layout(int id, int depth, const std::vector<std::string>& names) {
    GVariantBuilder children;
    g_variant_builder_init(&children, G_VARIANT_TYPE("av"));
    if (id == 0 && depth != 0) {
        for (const TrayMenuItem& item : kTrayMenuItems) {
            g_variant_builder_add(&children, "v", layout(static_cast<int>(item.command), 0, names));
        }
    }
    return g_variant_new("(i@a{sv}av)", id, properties(id, names), &children);
}

std::vector<std::string> strings(GVariant* array) {
    std::vector<std::string> values;
    GVariantIter iter;
    g_variant_iter_init(&iter, array);
    for (const gchar* value = nullptr; g_variant_iter_next(&iter, "&s", &value);) {
        values.emplace_back(value);
    }
    return values;
}
}  // namespace

DbusMenu::DbusMenu(GDBusConnection* connection, std::function<void(TrayCommand)> chosen)
    : connection_(connection), chosen_(std::move(chosen)) {
    static GDBusNodeInfo* info = g_dbus_node_info_new_for_xml(kInterfaceXml, nullptr);
    static const GDBusInterfaceVTable vtable = {methodCall, getProperty, nullptr, {}};
    GErrorPtr error;
    registration_ = g_dbus_connection_register_object(connection_, kObjectPath, info->interfaces[0],
                                                      &vtable, this, nullptr, error.out());
    if (!registration_) {
        Log::warning("the tray menu is not exported: ", error.message());
    }
}

DbusMenu::~DbusMenu() {
    if (registration_) {
        g_dbus_connection_unregister_object(connection_, registration_);
    }
}

bool DbusMenu::event(int id, const char* eventId) {
    const TrayMenuItem* item = itemWithId(id);
    if (!item) {
        return id == 0;
    }
    if (std::string(eventId) == "clicked") {
        // After the reply has gone: the command may end the process.
        Glib::signal_idle().connect_once([this, alive = life_.watch(), command = item->command] {
            if (!alive.expired()) {
                chosen_(command);
            }
        });
    }
    return true;
}

void DbusMenu::methodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                          const gchar* method, GVariant* parameters,
                          GDBusMethodInvocation* invocation, gpointer data) {
    auto* self = static_cast<DbusMenu*>(data);
    const std::string name = method;
    if (name == "GetLayout") {
        gint32 parent = 0, depth = 0;
        GVariant* names = nullptr;
        g_variant_get(parameters, "(ii@as)", &parent, &depth, &names);
        const std::vector<std::string> wanted = strings(names);
        g_variant_unref(names);
        if (!isKnown(parent)) {
            Log::warning("tray menu: asked for the layout of item ", parent, ", which is none");
            g_dbus_method_invocation_return_dbus_error(invocation, kInvalidArgs, "no such item");
            return;
        }
        g_dbus_method_invocation_return_value(
            invocation, g_variant_new("(u@(ia{sv}av))", kRevision, layout(parent, depth, wanted)));
    } else if (name == "GetGroupProperties") {
        GVariant* ids = nullptr;
        GVariant* names = nullptr;
        g_variant_get(parameters, "(@ai@as)", &ids, &names);
        const std::vector<std::string> wanted = strings(names);
        GVariantBuilder result;
        g_variant_builder_init(&result, G_VARIANT_TYPE("a(ia{sv})"));
        GVariantIter iter;
        g_variant_iter_init(&iter, ids);
        for (gint32 id = 0; g_variant_iter_next(&iter, "i", &id);) {
            if (isKnown(id)) {
                g_variant_builder_add(&result, "(i@a{sv})", id, properties(id, wanted));
            }
        }
        g_variant_unref(ids);
        g_variant_unref(names);
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(a(ia{sv}))", &result));
    } else if (name == "GetProperty") {
        gint32 id = 0;
        const gchar* property = nullptr;
        g_variant_get(parameters, "(i&s)", &id, &property);
        GVariant* all = properties(id, {property});
        GVariant* value = g_variant_lookup_value(all, property, nullptr);
        g_variant_unref(g_variant_ref_sink(all));
        if (!value) {
            g_dbus_method_invocation_return_dbus_error(invocation, kInvalidArgs,
                                                       "no such item or property");
            return;
        }
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(v)", value));
        g_variant_unref(value);
    } else if (name == "Event") {
        gint32 id = 0;
        const gchar* eventId = nullptr;
        g_variant_get(parameters, "(i&svu)", &id, &eventId, nullptr, nullptr);
        if (!self->event(id, eventId)) {
            Log::warning("tray menu: event \"", eventId, "\" for item ", id, ", which is none");
            g_dbus_method_invocation_return_dbus_error(invocation, kInvalidArgs, "no such item");
            return;
        }
        g_dbus_method_invocation_return_value(invocation, nullptr);
    } else if (name == "EventGroup") {
        GVariantIter* events = nullptr;
        g_variant_get(parameters, "(a(isvu))", &events);
        GVariantBuilder errors;
        g_variant_builder_init(&errors, G_VARIANT_TYPE("ai"));
        gint32 id = 0;
        const gchar* eventId = nullptr;
        size_t count = 0, failed = 0;
        while (g_variant_iter_next(events, "(i&svu)", &id, &eventId, nullptr, nullptr)) {
            ++count;
            if (!self->event(id, eventId)) {
                ++failed;
                g_variant_builder_add(&errors, "i", id);
            }
        }
        g_variant_iter_free(events);
        if (count > 0 && failed == count) {
            g_variant_builder_clear(&errors);
            g_dbus_method_invocation_return_dbus_error(invocation, kInvalidArgs, "no such items");
            return;
        }
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(ai)", &errors));
    } else if (name == "AboutToShow") {
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(b)", FALSE));
    } else if (name == "AboutToShowGroup") {
        g_dbus_method_invocation_return_value(
            invocation,
            g_variant_new("(@ai@ai)", g_variant_new_array(G_VARIANT_TYPE_INT32, nullptr, 0),
                          g_variant_new_array(G_VARIANT_TYPE_INT32, nullptr, 0)));
    } else {
        g_dbus_method_invocation_return_dbus_error(
            invocation, "org.freedesktop.DBus.Error.UnknownMethod", method);
    }
}

GVariant* DbusMenu::getProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                const gchar* property, GError** error, gpointer) {
    const std::string name = property;
    if (name == "Version") {
        return g_variant_new_uint32(3);
    }
    if (name == "TextDirection") {
        return g_variant_new_string("ltr");
    }
    if (name == "Status") {
        return g_variant_new_string("normal");
    }
    if (name == "IconThemePath") {
        return g_variant_new_strv(nullptr, 0);
    }
    g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "no property %s", property);
    return nullptr;
}
