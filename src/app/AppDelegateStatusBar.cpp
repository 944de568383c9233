// Menu-bar mode and the dock monitor: the menu commands that start them, and the launch in
// menu-bar mode.
#include "app/AppDelegate.h"
#include "app/ApplicationId.h"
#include "browser/VLMainWindowController.h"
#include "browser/VLTabViewController.h"
#include "browser/VLWebViewController.h"
#include "foundation/Log.h"
#include "statusbar/DockMonitor.h"

void AppDelegate::installStatusBarActions() {
    app_->add_action("status-bar-mode", [this] { showAsStatusItem(); });
    app_->add_action("dock-monitor", [this] { toggleDockMonitor(); });
    app_->add_action("edit-dock-monitor", [this] { editDockMonitor(); });
    dockMonitor_ = std::make_unique<DockMonitor>(
        [this] { return getTopMainController(); },
        DockMonitor::MenuItems{[this](const std::string& title) {
                                   menuState_.titles["dockMonitorItem"] = title;
                                   applyMenuState();
                               },
                               [this](bool hidden) {
                                   menuState_.setHidden("editDockMonitorItem", hidden);
                                   applyMenuState();
                               }});
}

MenuBarMode& AppDelegate::ensureMenuBarMode() {
    if (!menuBarMode_) {
        MenuBarMode::Application application{
            ApplicationId::ofMainBundle(),
            appName(),
            [this] { return getTopMainController(); },
            [this] { newTabClick(); },
            [this] { showPreferences(); },
            [this] { terminate(); },
            [this] { applicationWillTerminate(); },
            [this]() -> Gtk::Window* {
                VLMainWindowController* top = getTopMainController();
                return top && top->window().get_visible() ? &top->window() : nullptr;
            }};
        menuBarMode_ = std::make_unique<MenuBarMode>(std::move(application), menuBarServices_);
    }
    return *menuBarMode_;
}

void AppDelegate::launchInMenuBarMode(VLMainWindowController& first) {
    // No window shows while the tray is asked; without a tray host the launch goes on as a
    // regular one and the stored mode stays for a later start.
    first.window().hide();
    ensureMenuBarMode().showAsStatusItem(false, [this](bool entered) {
        if (!entered) {
            VLMainWindowController* top = getTopMainController();
            if (top) {
                // Hiding took it out of the application, which ends with its last window.
                app_->add_window(top->window());
                top->window().show();
            }
            restoreWindowsAtLaunch(top);
        }
    });
}

void AppDelegate::showAsStatusItem() {
    ensureMenuBarMode().showAsStatusItem(true, [](bool) {});
}

void AppDelegate::switchToNormalMode() {
    if (menuBarMode_) {
        menuBarMode_->switchToNormalMode();
    }
}

void AppDelegate::showPreferences() {
    // As if the preferences menu item were chosen.
    if (app_->has_action("preferences")) {
        app_->activate_action("preferences");
    } else {
        Log::warningLine("this build has no preferences window");
    }
}

void AppDelegate::toggleDockMonitor() {
    dockMonitor_->toggleDockMonitor();
}

void AppDelegate::editDockMonitor() {
    dockMonitor_->editDockMonitor();
}
