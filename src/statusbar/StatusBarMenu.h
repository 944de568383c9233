#pragma once

#include <gtkmm/menu.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Geometry.h"
#include "statusbar/TrayMenuItems.h"

// The tray icon's menu as the app pops it up itself (an X11 tray, or a host that asks through
// ContextMenu); hosts that read the exported menu draw the same items themselves.
class StatusBarMenu {
  public:
    explicit StatusBarMenu(std::function<void(TrayCommand)> chosen);

    // At that point of the screen, or at the pointer of the event being handled.
    void popupAt(const std::optional<Point>& screenPoint);
    Gtk::Menu& menu() { return menu_; }
    std::vector<std::string> titles();

  private:
    Gtk::Menu menu_;
};
