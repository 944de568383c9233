#pragma once

#include <gtkmm/statusicon.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "foundation/GObjectPtr.h"
#include "foundation/Geometry.h"
#include "statusbar/StatusNotifierItem.h"
#include "statusbar/TrayMenuItems.h"

// The status item in whichever form the desktop takes it: a StatusNotifierItem when a watcher
// runs on the session bus, else, on X11, the old system-tray icon, which counts only once a tray
// has embedded it. Its picture follows the application's icon and unread badge.
class TrayItem {
  public:
    struct Events {
        // A plain click, with the icon's area (or the point the desktop reported) when known.
        std::function<void(const std::optional<Rect>& anchor)> activate;
        // The menu, at a point of the screen, or at the pointer of the click being handled.
        std::function<void(const std::optional<Point>& at)> showMenu;
        // An item of the menu the desktop drew.
        std::function<void(TrayCommand)> command;
    };

    TrayItem(std::string id, std::string title, Events events, unsigned embedTimeoutMs);
    ~TrayItem();
    TrayItem(const TrayItem&) = delete;
    TrayItem& operator=(const TrayItem&) = delete;

    // `done(true)` once a tray host shows the icon, `done(false)` when none does.
    void show(std::function<void(bool shown)> done);
    StatusNotifierItem* statusNotifierItem() const { return item_.get(); }

  private:
    void showFallback();
    void finish(bool shown);
    void redraw();

    std::string id_;
    std::string title_;
    Events events_;
    unsigned embedTimeoutMs_;
    GObjectPtr<GDBusConnection> connection_;
    std::unique_ptr<StatusNotifierItem> item_;
    Glib::RefPtr<Gtk::StatusIcon> fallback_;
    sigc::connection embedTimeout_;
    sigc::connection embedded_;
    sigc::connection tileChanged_;
    std::function<void(bool)> done_;
};
