#pragma once

#include <gio/gio.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/AsyncScope.h"
#include "foundation/Geometry.h"
#include "foundation/LifeToken.h"
#include "maintenance/Image.h"
#include "statusbar/DbusMenu.h"

// The tray icon as a StatusNotifierItem on the session bus: a bus name of its own, the item and
// its exported menu, registered with the desktop's org.kde.StatusNotifierWatcher. Clicks come
// back as Activate (a plain click), ContextMenu and SecondaryActivate, with screen coordinates.
class StatusNotifierItem {
  public:
    static constexpr const char* kObjectPath = "/StatusNotifierItem";
    static constexpr const char* kWatcherName = "org.kde.StatusNotifierWatcher";
    static constexpr const char* kWatcherPath = "/StatusNotifierWatcher";

    struct Events {
        std::function<void(Point)> activate;
        std::function<void(Point)> contextMenu;
        std::function<void(TrayCommand)> command;
    };

    StatusNotifierItem(GDBusConnection* connection, std::string id, std::string title,
                       Events events);
    ~StatusNotifierItem();
    StatusNotifierItem(const StatusNotifierItem&) = delete;
    StatusNotifierItem& operator=(const StatusNotifierItem&) = delete;

    // `done(true)` once a watcher took the item and says a tray host shows it; `done(false)`
    // when there is no watcher, no host, or no bus name. A watcher that comes (back) later, a
    // desktop shell restarting, gets the item again.
    void registerWithWatcher(std::function<void(bool)> done);
    // Pixmaps of the icon at several sizes; hosts redraw on the NewIcon signal.
    void setIcon(std::vector<Image> pixmaps);
    const std::string& busName() const { return busName_; }

  private:
    static void methodCall(GDBusConnection*, const gchar* sender, const gchar* path,
                           const gchar* interface, const gchar* method, GVariant* parameters,
                           GDBusMethodInvocation* invocation, gpointer self);
    static GVariant* getProperty(GDBusConnection*, const gchar* sender, const gchar* path,
                                 const gchar* interface, const gchar* property, GError** error,
                                 gpointer self);
    static void watcherAppeared(GDBusConnection*, const gchar*, const gchar*, gpointer target);
    static void watcherVanished(GDBusConnection*, const gchar*, gpointer target);
    GVariant* pixmaps() const;
    void registerItem();
    void askForHost();
    void finish(bool shown);

    GDBusConnection* connection_;
    std::string id_;
    std::string title_;
    Events events_;
    std::string busName_;
    std::vector<Image> icon_;
    guint registration_ = 0;
    guint watcherWatch_ = 0;
    std::unique_ptr<DbusMenu> menu_;
    std::function<void(bool)> done_;
    bool registered_ = false;
    LifeToken life_;
    AsyncScope async_;
};
