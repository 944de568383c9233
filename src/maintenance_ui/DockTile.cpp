#include "maintenance_ui/DockTile.h"

#include <gtk/gtk.h>

#include <cstdlib>
#include <string>

#include "foundation/GObjectPtr.h"
#include "foundation/Log.h"
#include "foundation/NoDestructor.h"

namespace {
// Docks and panels that show counts (the LauncherEntry convention) read the count from the
// session bus, addressed to the app's desktop entry.
void announceCount(const std::optional<std::string>& badge) {
    GApplication* application = g_application_get_default();
    GDBusConnection* bus = application ? g_application_get_dbus_connection(application) : nullptr;
    const char* program = g_get_prgname();
    if (!bus || !program) {
        return;
    }
    const long count = badge ? std::strtol(badge->c_str(), nullptr, 10) : 0;
    GVariantBuilder properties;
    g_variant_builder_init(&properties, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&properties, "{sv}", "count", g_variant_new_int64(count));
    g_variant_builder_add(&properties, "{sv}", "count-visible", g_variant_new_boolean(count > 0));
    const std::string uri = std::string("application://") + program + ".desktop";
    GErrorPtr error;
    if (!g_dbus_connection_emit_signal(
            bus, nullptr, "/com/KVX/Sitebox/LauncherEntry", "com.canonical.Unity.LauncherEntry",
            "Update", g_variant_new("(sa{sv})", uri.c_str(), &properties), error.out())) {
        Log::warning("cannot announce the unread count: ", error.message());
    }
}
}  // namespace

DockTile& DockTile::shared() {
    static NoDestructor<DockTile> tile;
    return *tile;
}

void DockTile::setApplicationIcon(const Image& icon) {
    applicationIcon_ = icon;
    update();
}

void DockTile::setLiveImage(const Image& image) {
    live_ = image;
    update();
}

void DockTile::setBadge(const std::optional<std::string>& text) {
    const bool none = !text || text->empty() || *text == "0";
    if (none ? !badge_ : badge_ && *badge_ == *text) {
        return;
    }
    if (none) {
        badge_.reset();
    } else {
        badge_ = *text;
    }
    update();
    announceCount(badge_);
}

void DockTile::update() {
    shown_ = badgedIcon(baseIcon(), badge_.value_or(""));
    if (shown_.isValid()) {
        gtk_window_set_default_icon(shown_.pixbuf());
        // Windows made earlier keep the icon they were given; they follow too.
        GList* windows = gtk_window_list_toplevels();
        for (GList* node = windows; node; node = node->next) {
            gtk_window_set_icon(GTK_WINDOW(node->data), shown_.pixbuf());
        }
        g_list_free(windows);
    }
    changed_.emit();
}
