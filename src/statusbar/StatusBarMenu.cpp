#include "statusbar/StatusBarMenu.h"

#include <gdk/gdkx.h>
#include <gtkmm/menuitem.h>

#include "foundation/Log.h"

StatusBarMenu::StatusBarMenu(std::function<void(TrayCommand)> chosen) {
    for (const TrayMenuItem& entry : kTrayMenuItems) {
        auto* item = Gtk::manage(new Gtk::MenuItem(entry.title));
        item->signal_activate().connect([chosen, command = entry.command] { chosen(command); });
        menu_.append(*item);
    }
    menu_.show_all();
}

void StatusBarMenu::popupAt(const std::optional<Point>& screenPoint) {
    if (!screenPoint) {
        menu_.popup_at_pointer(nullptr);
        return;
    }
    // A point on the screen is anchored to the root window, which only X11 has.
    GdkWindow* root = gdk_get_default_root_window();
    if (!root || !GDK_IS_X11_DISPLAY(gdk_window_get_display(root))) {
        Log::once("tray-menu-popup", "the tray menu cannot be placed here; the desktop shows it");
        return;
    }
    const GdkRectangle at{static_cast<int>(screenPoint->x), static_cast<int>(screenPoint->y), 1, 1};
    // The click happened in the tray host, not here: the menu's grab needs a press to follow.
    GdkEvent* press = gdk_event_new(GDK_BUTTON_PRESS);
    press->button.window = GDK_WINDOW(g_object_ref(root));
    press->button.button = 3;
    press->button.time = GDK_CURRENT_TIME;
    if (GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(root))) {
        gdk_event_set_device(press, gdk_seat_get_pointer(seat));
    }
    gtk_menu_popup_at_rect(menu_.gobj(), root, &at, GDK_GRAVITY_NORTH_WEST, GDK_GRAVITY_NORTH_WEST,
                           press);
    gdk_event_free(press);
}

std::vector<std::string> StatusBarMenu::titles() {
    std::vector<std::string> titles;
    for (Gtk::Widget* child : menu_.get_children()) {
        if (auto* item = dynamic_cast<Gtk::MenuItem*>(child); item && item->get_visible()) {
            titles.emplace_back(item->get_label());
        }
    }
    return titles;
}
