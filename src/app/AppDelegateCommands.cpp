// The main menu's commands and the menu bars of the windows.
#include <giomm/simpleaction.h>

#include "app/AppDelegate.h"
#include "app/NewWebAppDialog.h"
#include "app/VLCorvaManager.h"
#include "app/VLMainMenu.h"
#include "browser/VLMainWindowController.h"
#include "browser/VLTabViewController.h"
#include "browser/VLTabViewItem.h"
#include "browser/VLWebEngine.h"
#include "browser/VLWebManager.h"
#include "browser/VLWebViewController.h"
#include "browser/WelcomePage.h"
#include "downloads/VLDownloadsButton.h"
#include "foundation/Bundle.h"
#include "foundation/DefaultsKeys.h"
#include "foundation/Log.h"
#include "foundation/NotificationNames.h"
#include "foundation/UserDefaults.h"
#include "maintenance/Alert.h"
#include "maintenance_ui/AlertDialog.h"
#include "preferences/VLSettingsTabViewController.h"
#include "preferences/VLStyleViewController.h"
#include "stores/VLBehaviorManager.h"
#include "stores/VLBookmarksManager.h"
#include "stores/VLHistoryManager.h"
#include "stores/VLRestoreManager.h"
#include "stores/VLSettingsManager.h"

void AppDelegate::installActions() {
    struct Command {
        const char* name;
        void (AppDelegate::*run)();
        std::vector<Glib::ustring> accels;
    };
    const std::vector<Command> commands = {
        {"new-tab", &AppDelegate::newTabClick, {"<Primary>t"}},
        {"new-window", &AppDelegate::newWindowClick, {"<Primary>n"}},
        {"close", static_cast<void (AppDelegate::*)()>(&AppDelegate::closeTab), {"<Primary>w"}},
        {"print", &AppDelegate::printWebView, {"<Primary>p"}},
        {"zoom-in", &AppDelegate::zoomIn, {"<Primary>plus", "<Primary>equal", "<Primary>KP_Add"}},
        {"zoom-out", &AppDelegate::zoomOut, {"<Primary>minus", "<Primary>KP_Subtract"}},
        {"reset-zoom", &AppDelegate::resetZoom, {"<Primary>0", "<Primary>KP_0"}},
        {"reload", &AppDelegate::reloadPage, {"<Primary>r", "F5"}},
        {"find", &AppDelegate::searchClick, {"<Primary>f"}},
        {"back", &AppDelegate::backButtonClick, {"<Alt>Left"}},
        {"forward", &AppDelegate::forwardButtonClick, {"<Alt>Right"}},
        {"home", &AppDelegate::homeButtonClick, {"<Alt>Home"}},
        {"add-bookmark", &AppDelegate::addBookmarkClick, {"<Primary>d"}},
        {"remove-bookmark", &AppDelegate::removeBookmarkClick, {}},
        {"clear-history", &AppDelegate::clearHistoryAction, {}},
        {"empty-cache", &AppDelegate::emptyCacheClick, {}},
        {"request-mobile", &AppDelegate::requestMobileVersion, {}},
        {"request-desktop", &AppDelegate::requestDesktopVersion, {}},
        {"toggle-bookmark-bar", &AppDelegate::showBookmarkBarClick, {"<Primary><Shift>b"}},
        {"quit", &AppDelegate::terminate, {"<Primary>q"}},
    };
    for (const Command& command : commands) {
        app_->add_action(command.name, [this, run = command.run] { (this->*run)(); });
        if (!command.accels.empty()) {
            app_->set_accels_for_action(std::string("app.") + command.name, command.accels);
        }
    }
    app_->add_action("toggle-toolbar", [this] {
        if (VLMainWindowController* top = getTopMainController()) {
            top->toggleToolbar();
        }
    });
    app_->add_action("edit-url", [this] {
        if (VLMainWindowController* top = getTopMainController()) {
            top->editUrl();
        }
    });
    app_->set_accels_for_action("app.edit-url", {"<Primary>l"});
    app_->add_action("hide", [] { VLMainWindowController::hideApplication(); });
    app_->add_action("new-web-app", [this] {
        VLMainWindowController* top = getTopMainController();
        NewWebAppDialog::show(top ? &top->window() : nullptr);
    });
    app_->add_action("help", [this] {
        if (VLMainWindowController* top = getTopMainController()) {
            top->tabController().addNewTab();
            top->tabController().openUrl(WelcomePage::url());
        }
    });
    using Pane = VLSettingsTabViewController::Pane;
    for (const auto& [name, pane] :
         {std::pair{"preferences", Pane::General}, std::pair{"user-scripts", Pane::UserScripts},
          std::pair{"user-styles", Pane::UserStyles}}) {
        app_->add_action(name, [this, pane = pane] {
            VLMainWindowController* top = getTopMainController();
            VLSettingsTabViewController::show(pane, top ? &top->window() : nullptr);
        });
    }
    app_->set_accels_for_action("app.preferences", {"<Primary>comma"});
    app_->add_action("window-color", [this] {
        VLMainWindowController* top = getTopMainController();
        VLStyleViewController::show(top ? &top->window() : nullptr);
    });
    installStatusBarActions();
    app_->add_action("about", [this] {
        Alert about{appName(),
                    "A site-specific browser. Version " + Bundle::main().shortVersion() + ".",
                    {"OK"},
                    Alert::Style::Informational};
        VLMainWindowController* top = getTopMainController();
        AlertDialog::present(about, top ? &top->window() : nullptr, nullptr);
    });
}

void AppDelegate::decorate(VLMainWindowController& controller) {
    auto menu = std::make_unique<VLMainMenu>(*this, userAgentNames_);
    menu->apply(menuState_);
    controller.menubarSlot().pack_start(menu->menuBar(), Gtk::PACK_SHRINK);
    menu->menuBar().show();
    menus_[&controller] = std::move(menu);
    // Shows itself once a download starts.
    controller.window().headerBar().pack_end(
        *Gtk::manage(new VLDownloadsButton(VLWebManager::sharedManager().downloadQueue())));
}

VLMainMenu* AppDelegate::menuFor(VLMainWindowController* controller) {
    auto it = menus_.find(controller);
    return it == menus_.end() ? nullptr : it->second.get();
}

void AppDelegate::applyMenuState() {
    for (auto& [controller, menu] : menus_) {
        menu->apply(menuState_);
    }
}

void AppDelegate::newTabClick() {
    if (VLMainWindowController* top = getTopMainController()) {
        top->tabController().addNewTab();
    }
}

void AppDelegate::newWindowClick() {
    VLMainWindowController* window = VLMainWindowController::create();
    if (!window) {
        return;
    }
    window->tabController().goHome();
    window->window().set_opacity(1.0);
    if (VLCorvaManager::enterpriseBuild()) {
        setFrame(*window, defaultFrame_, true);
    } else {
        std::vector<std::string> keys = VLRestoreManager::sharedManager().windowKeys();
        restorWindow(window, keys.empty() ? std::nullopt : std::optional<std::string>(keys[0]));
    }
    window->window().present();
}

void AppDelegate::closeTab() {
    VLMainWindowController* top = getTopMainController();
    if (!top) {
        return;
    }
    VLTabViewController& tabs = top->tabController();
    if (VLTabViewItem* current = tabs.itemAt(tabs.selectedIndex())) {
        closeTab(*current);
    } else {
        top->close();
    }
}

void AppDelegate::closeTab(VLTabViewItem& item) {
    VLMainWindowController* top = getTopMainController();
    if (!top) {
        return;
    }
    VLTabViewController& tabs = top->tabController();
    const int count = tabs.tabsCount();
    if (count >= 3) {
        tabs.removeTab(item);
    } else if (count == 2) {
        tabs.removeTab(item);
        tabs.hideToolbar();
    } else {
        // One tab: the window closes at once, without the close confirmation.
        top->close();
    }
}

void AppDelegate::printWebView() {
    NotificationCenter::defaultCenter().post(notification::printpage);
}

void AppDelegate::zoomIn() {
    NotificationCenter::defaultCenter().post(notification::zoomin);
}

void AppDelegate::zoomOut() {
    NotificationCenter::defaultCenter().post(notification::zoomout);
}

void AppDelegate::resetZoom() {
    NotificationCenter::defaultCenter().post(notification::resetzoom);
}

void AppDelegate::reloadPage() {
    NotificationCenter::defaultCenter().post(notification::reload);
}

void AppDelegate::emptyCacheClick() {
    VLWebEngine::shared().clearCache();
}

void AppDelegate::clearHistoryAction() {
    VLHistoryManager::sharedManager().clearHistory();
    // The engine's icon of each page visited names that page too.
    VLWebEngine::shared().clearPageIcons();
}

void AppDelegate::requestMobileVersion() {
    NotificationCenter::defaultCenter().post(notification::requestMobileVersion);
}

void AppDelegate::requestDesktopVersion() {
    NotificationCenter::defaultCenter().post(notification::requestDesktopVersion);
}

void AppDelegate::addUseragents() {
    std::string current =
        UserDefaults::standard().stringForKey(defaults_key::lastUserAnget).value_or(std::string());
    if (current.empty()) {
        current = "Safari-Mac";
    }
    if (VLBehaviorManager::sharedManager().mobileVersion()) {
        current = "iPhone";
    }
    for (const std::string& name : userAgentNames_) {
        if (name == current) {
            NotificationCenter::defaultCenter().post(notification::changeUserAnget, name);
            menuState_.userAgent = name;
        }
    }
    applyMenuState();
}

void AppDelegate::agentClick(const std::string& name) {
    NotificationCenter::defaultCenter().post(notification::changeUserAnget, name);
    menuState_.userAgent = name;
    UserDefaults::standard().setString(defaults_key::lastUserAnget, name);
    applyMenuState();
}

void AppDelegate::setCustomAgent(const std::string& agent) {
    NotificationCenter::defaultCenter().post(notification::changeUserAnget, agent);
    bool matched = false;
    for (const std::string& name : userAgentNames_) {
        matched = matched || name == agent;
    }
    const std::string chosen = matched ? agent : "Safari-Mac";
    menuState_.userAgent = chosen;
    UserDefaults::standard().setString(defaults_key::lastUserAnget, chosen);
    applyMenuState();
}

void AppDelegate::itemClick(const std::string& historyName) {
    VLMainWindowController* top = getTopMainController();
    auto url = VLHistoryManager::sharedManager().getUrlByName(historyName);
    if (top && url) {
        top->openUrl(*url);
    }
}

void AppDelegate::bookmarkClick(const std::string& bookmarkName) {
    VLMainWindowController* top = getTopMainController();
    auto url = VLBookmarksManager::sharedManager().getUrlByName(bookmarkName);
    if (top && url) {
        top->openUrl(*url);
    }
}

void AppDelegate::addBookmarkClick() {
    if (VLMainWindowController* top = getTopMainController()) {
        top->addBookmark();
    }
}

void AppDelegate::removeBookmarkClick() {
    if (VLMainWindowController* top = getTopMainController()) {
        top->removeBookmark();
    }
}

void AppDelegate::showBookmarkBarClick() {
    VLSettingsManager& settings = VLSettingsManager::sharedManager();
    settings.setShowBookmarkBar(!settings.showBookmarkBar());
    setBookmarkTitle(settings.showBookmarkBar());
    NotificationCenter::defaultCenter().post(notification::showBookmark);
}

void AppDelegate::searchClick() {
    VLMainWindowController* top = getTopMainController();
    if (VLWebViewController* page =
            top ? top->tabController().selectedWebViewController() : nullptr) {
        page->biginSearch();
    }
}

void AppDelegate::homeButtonClick() {
    if (VLMainWindowController* top = getTopMainController()) {
        top->homeButtonClick();
    }
}

void AppDelegate::backButtonClick() {
    if (VLMainWindowController* top = getTopMainController()) {
        top->backButtonClick();
    }
}

void AppDelegate::forwardButtonClick() {
    if (VLMainWindowController* top = getTopMainController()) {
        top->forwardButtonClick();
    }
}

void AppDelegate::showWindowToolbar() {
    if (VLMainWindowController* top = getTopMainController()) {
        top->tabController().showToolbar();
    }
}

void AppDelegate::disableToolBarMenuItem() {
    menuState_.setHidden("showToolbar", true);
    applyMenuState();
}

void AppDelegate::setBookmarkTitle(bool shown) {
    menuState_.titles["showBookmark"] = shown ? "Hide Bookmark Bar" : "Show Bookmark Bar";
    applyMenuState();
}
