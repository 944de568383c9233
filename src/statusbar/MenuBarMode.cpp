#include "statusbar/MenuBarMode.h"

#include <glibmm/main.h>
#include <gtkmm/application.h>

#include "browser/VLMainWindowController.h"
#include "browser/VLTabViewController.h"
#include "browser/VLWebViewController.h"
#include "foundation/Bundle.h"
#include "foundation/Log.h"
#include "foundation/NotificationCenter.h"
#include "foundation/NotificationNames.h"
#include "maintenance_ui/AlertDialog.h"
#include "statusbar/ProcessRelauncher.h"
#include "stores/VLBehaviorManager.h"

namespace {
Glib::RefPtr<Gtk::Application> application() {
    return Glib::RefPtr<Gtk::Application>::cast_dynamic(Gtk::Application::get_default());
}
}  // namespace

MenuBarMode::MenuBarMode(Application application, Services services)
    : app_(std::move(application)),
      services_(std::move(services)),
      menu_([this](TrayCommand chosen) { command(chosen); }) {
    if (!services_.relauncher) {
        services_.relauncher = std::make_shared<ProcessRelauncher>();
    }
    if (!services_.presentNotice) {
        services_.presentNotice = [this](const Alert& alert) {
            AlertDialog::present(alert, app_.noticeParent ? app_.noticeParent() : nullptr, nullptr);
        };
    }
}

MenuBarMode::~MenuBarMode() {
    windowAdded_.disconnect();
    popUpBrowser_.reset();
    hold(false);
}

void MenuBarMode::hold(bool on) {
    // A hidden window leaves the application, which ends once it has none: the tray (or the
    // wait for one) keeps it running without a visible window.
    auto app = application();
    if (!app || on == held_) {
        return;
    }
    held_ = on;
    if (on) {
        app->hold();
    } else {
        app->release();
    }
}

std::vector<std::string> MenuBarMode::relaunchArguments() {
    const Bundle& bundle = Bundle::main();
    return {bundle.executableFolder() + "/" +
            bundle.infoString("CFBundleExecutable").value_or("Sitebox")};
}

Alert MenuBarMode::noTrayHostNotice(bool flagKept) {
    std::string text =
        "Menu-bar mode puts the app in the system tray: the area of the desktop's panel where "
        "programs show small status icons. A tray host, a part of the desktop, draws that area, "
        "and none is running here (GNOME, for one, needs an extension such as AppIndicator "
        "Support for it). So the app stays a regular window";
    text +=
        flagKept ? " for now and goes back to the tray at a next start where a tray exists." : ".";
    return Alert{"There is no tray to put the app in", text, {"OK"}, Alert::Style::Informational};
}

void MenuBarMode::showAsStatusItem(bool saveFlag, std::function<void(bool)> done) {
    if (active_) {
        done(true);
        return;
    }
    if (tray_) {
        Log::line("menu-bar mode: still waiting for a tray host");
        return;
    }
    tray_ = std::make_unique<TrayItem>(
        app_.id, app_.title,
        TrayItem::Events{[this](const std::optional<Rect>& anchor) { showPopUpBrowser(anchor); },
                         [this](const std::optional<Point>& at) { showStatusBarMenu(at); },
                         [this](TrayCommand chosen) { command(chosen); }},
        services_.trayHostTimeoutMs);
    hold(true);
    tray_->show([this, saveFlag, done = std::move(done)](bool shown) {
        if (shown) {
            enter(saveFlag);
            done(true);
            return;
        }
        // Let go of the icon once its own call has returned.
        Glib::signal_idle().connect_once([this, alive = life_.watch()] {
            if (!alive.expired() && !active_) {
                tray_.reset();
            }
        });
        services_.presentNotice(noTrayHostNotice(!saveFlag));
        done(false);  // the regular windows are back
        hold(false);
    });
}

void MenuBarMode::enter(bool saveFlag) {
    active_ = true;
    if (auto app = application()) {
        windowAdded_ = app->signal_window_added().connect(
            [this](Gtk::Window* window) { skipTaskbar(*window); });
    }
    for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
        skipTaskbar(*window);
    }
    VLMainWindowController* controller = app_.mainController ? app_.mainController() : nullptr;
    if (!controller) {
        controller = VLMainWindowController::create();
    }
    popUpBrowser_ = std::make_unique<PopUpBrowser>();
    if (controller) {
        popUpBrowser_->setContent(*controller);
        controller->window().hide();
        controller->tabController().goHome();
    }
    if (saveFlag) {
        VLBehaviorManager& behavior = VLBehaviorManager::sharedManager();
        behavior.setStatusBarMode(true);
        behavior.save();
    }
}

void MenuBarMode::skipTaskbar(Gtk::Window& window) {
    if (window.get_window_type() == Gtk::WINDOW_TOPLEVEL) {
        window.set_skip_taskbar_hint(true);
    }
}

void MenuBarMode::showPopUpBrowser(const std::optional<Rect>& anchor) {
    if (!popUpBrowser_) {
        return;
    }
    if (popUpBrowser_->isShown()) {
        popUpBrowser_->close();
        return;
    }
    if (!popUpBrowser_->contentController()) {
        // Its window was closed: a new main window lends its content.
        if (VLMainWindowController* controller = VLMainWindowController::create()) {
            popUpBrowser_->setContent(*controller);
            controller->window().hide();
            controller->tabController().goHome();
        }
    }
    popUpBrowser_->show(anchor);
    if (VLBehaviorManager::sharedManager().autoRefreshTheViewOnLoad()) {
        NotificationCenter::defaultCenter().post(notification::reload);
    }
}

void MenuBarMode::openPopUpBrowser() {
    if (popUpBrowser_ && popUpBrowser_->isShown()) {
        popUpBrowser_->window().present();
        return;
    }
    showPopUpBrowser(std::nullopt);
}

void MenuBarMode::showStatusBarMenu(const std::optional<Point>& at) {
    menu_.popupAt(at);
}

void MenuBarMode::command(TrayCommand chosen) {
    switch (chosen) {
        case TrayCommand::AddTab:
            app_.addTab();
            openPopUpBrowser();  // where the new tab is
            break;
        case TrayCommand::SwitchToRegularMode:
            switchToNormalMode();
            break;
        case TrayCommand::Preferences:
            app_.showPreferences();
            break;
        case TrayCommand::Quit:
            app_.quit();
            break;
    }
}

void MenuBarMode::switchToNormalMode() {
    VLBehaviorManager& behavior = VLBehaviorManager::sharedManager();
    behavior.setStatusBarMode(false);
    behavior.save();
    if (!services_.relauncher->relaunch(relaunchArguments(), 1)) {
        Log::warningLine("the app could not restart itself; it starts in regular mode next time");
        return;
    }
    if (app_.saveBeforeExit) {
        app_.saveBeforeExit();
    }
    services_.relauncher->exitNow();
}

void MenuBarMode::windowWillClose(VLMainWindowController& controller) {
    if (popUpBrowser_ && popUpBrowser_->contentController() == &controller) {
        popUpBrowser_->close();
        popUpBrowser_->releaseContent();
    }
}
