#pragma once

#include <gio/gio.h>

#include <functional>

#include "foundation/LifeToken.h"
#include "statusbar/TrayMenuItems.h"

// The tray icon's menu exported as com.canonical.dbusmenu, so that tray hosts draw it themselves
// (the only way a menu appears under Wayland). One flat level of the four tray items.
class DbusMenu {
  public:
    static constexpr const char* kObjectPath = "/MenuBar";

    DbusMenu(GDBusConnection* connection, std::function<void(TrayCommand)> chosen);
    ~DbusMenu();
    DbusMenu(const DbusMenu&) = delete;
    DbusMenu& operator=(const DbusMenu&) = delete;

    bool exported() const { return registration_ != 0; }

  private:
    static void methodCall(GDBusConnection*, const gchar* sender, const gchar* path,
                           const gchar* interface, const gchar* method, GVariant* parameters,
                           GDBusMethodInvocation* invocation, gpointer self);
    static GVariant* getProperty(GDBusConnection*, const gchar* sender, const gchar* path,
                                 const gchar* interface, const gchar* property, GError** error,
                                 gpointer self);
    // False for an id that names no item.
    bool event(int id, const char* eventId);

    GDBusConnection* connection_;
    std::function<void(TrayCommand)> chosen_;
    guint registration_ = 0;
    LifeToken life_;
};
