#include "maintenance_ui/DockTile.h"

#include <gtk/gtk.h>

#include "foundation/NoDestructor.h"

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
