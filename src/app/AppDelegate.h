#pragma once

#include <gtkmm/application.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/MenuState.h"
#include "app/VLCorvaManagerDelegate.h"
#include "foundation/Geometry.h"
#include "foundation/LaunchGate.h"
#include "foundation/NotificationCenter.h"
#include "statusbar/MenuBarMode.h"

class DockMonitor;
class VLMainMenu;
class VLScriptManager;
class VLMainWindowController;
class VLWebViewController;
class VLTabViewItem;

// The spine of the shell: the application's launch phases, reopen, URL-open events, quitting
// and saving, the main menu's commands, and the operations the bundle configuration applies.
class AppDelegate : public VLCorvaManagerDelegate {
  public:
    // How a window comes forward for a clicked notification, with the notification server's
    // activation token ("" when none); tests put their own in.
    using WindowPresenter = std::function<void(VLMainWindowController&, const std::string& token)>;
    static void setWindowPresenter(WindowPresenter presenter);
    // The unread-count poller, from the second launch phase on.
    VLScriptManager* scriptManager() const { return scriptManager_.get(); }
    // The second launch phase has run (it waits for the first page).
    bool launchFinished() const { return launchGate_.isOpen(); }
    // `extraFlags` lets tests run side by side (NON_UNIQUE).
    explicit AppDelegate(Gio::ApplicationFlags extraFlags = Gio::APPLICATION_FLAGS_NONE);
    ~AppDelegate() override;
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    static AppDelegate* shared();
    Glib::RefPtr<Gtk::Application> application() const { return app_; }
    // Runs the application until it quits; the process's exit status.
    int run(int argc, char** argv);

    // The application's id: the bundle identifier, extended by the app identifier when the
    // bundle carries one, made to fit D-Bus name rules.
    static std::string applicationId(const std::string& bundleIdentifier,
                                     const std::optional<std::string>& appIdentifier);

    // Launch, reopen, URL events and quitting.
    void applicationWillFinishLaunching();
    void applicationDidFinishLaunching();
    bool applicationShouldHandleReopen();
    void handleURLEvent(const std::string& url);
    bool applicationShouldTerminate();
    // Saves everything once; later calls do nothing.
    void applicationWillTerminate();
    // Saves settings, open windows, history and bookmarks; may run many times.
    void saveApplicationState();
    // Asks (when asked to), saves and quits.
    void terminate();

    VLMainWindowController* getTopMainController();
    VLMainWindowController* createNewMainWindow();
    void restorWindow(VLMainWindowController* controller, const std::optional<std::string>& key);
    void showWindowOnATopNotification();
    void enableSpellCheckAndGrammar();
    std::string appName() const;
    std::string appTargetName() const;
    bool statusBarMode() const;
    Rect defaultFrame() const { return defaultFrame_; }
    // The frame a window gets when nothing else is said: the main screen, or the configured
    // size centred on it.
    Rect mainScreenFrame() const;

    // Menu commands.
    void newTabClick();
    void newWindowClick();
    void closeTab();
    void closeTab(VLTabViewItem& item);
    void printWebView();
    void zoomIn();
    void zoomOut();
    void resetZoom();
    void reloadPage();
    void emptyCacheClick();
    void clearHistoryAction();
    void requestMobileVersion();
    void requestDesktopVersion();
    void agentClick(const std::string& name);
    void setCustomAgent(const std::string& agent);
    void itemClick(const std::string& historyName);
    void bookmarkClick(const std::string& bookmarkName);
    void addBookmarkClick();
    void removeBookmarkClick();
    void showBookmarkBarClick();
    void searchClick();
    void homeButtonClick();
    void backButtonClick();
    void forwardButtonClick();
    void showWindowToolbar();
    void disableToolBarMenuItem();
    void setBookmarkTitle(bool shown);
    void addUseragents();
    const MenuState& menuState() const { return menuState_; }
    VLMainMenu* menuFor(VLMainWindowController* controller);

    // Menu-bar mode and the dock monitor (AppDelegateStatusBar.cpp).
    void showAsStatusItem();
    void switchToNormalMode();
    void showPreferences();
    void toggleDockMonitor();
    void editDockMonitor();
    // Tests give the mode a recording relauncher and notice; set before the launch.
    void setMenuBarServices(MenuBarMode::Services services) {
        menuBarServices_ = std::move(services);
    }
    MenuBarMode* menuBarMode() const { return menuBarMode_.get(); }
    DockMonitor* dockMonitor() const { return dockMonitor_.get(); }

    // Bundle configuration.
    void setMainWindowColor(const Color& color) override;
    void setMainWindowTitle(bool hidden) override;
    void setMainWindowTitleIcon(bool hidden) override;
    void setMainWindowTitleBar(bool hidden) override;
    void setStausBarOption(bool show) override;
    void setHidePreferences(bool hide) override;
    void setUserScriptStyleOption(bool show) override;
    void setMobileDesktopOption(bool show) override;
    void setBookmark(bool hide) override;
    void setDefaultWindowSize(Size size) override;
    void setFirstWindowLevel(long level) override;
    void setFirstWindowShadow(bool shadow) override;
    void setFirstWindowAlpha(double alpha) override;

  private:
    struct WindowSnapshot {
        std::vector<std::string> urls;
        std::string frame;
    };

    void installActions();
    void installStatusBarActions();
    void restoreWindowsAtLaunch(VLMainWindowController* first);
    // The first window's page, already loading, when the launch goes straight to the home page;
    // nullptr when it restores pages or starts in the menu bar.
    std::unique_ptr<VLWebViewController> startFirstPage();
    void waitForFirstLoad();
    void openLaunchGate();
    VLMainWindowController* createNewMainWindow(std::unique_ptr<VLWebViewController> firstPage);
    void launchInMenuBarMode(VLMainWindowController& first);
    MenuBarMode& ensureMenuBarMode();
    // In menu-bar mode, opens the popup browser where the app would come forward; false else.
    bool bringPopUpBrowserForward();
    void decorate(VLMainWindowController& controller);
    void windowWillClose(VLMainWindowController& controller);
    void applyMenuState();
    void setFrame(VLMainWindowController& controller, const Rect& frame, bool centre);
    static std::string frameString(VLMainWindowController& controller);

    // AppDelegateHooks.cpp: what the layers below reach the application through.
    void installHooks();
    void uninstallHooks();
    static void queryEnd(GtkApplication*, AppDelegate* self);
    static gboolean terminationSignal(AppDelegate* self);

    Glib::RefPtr<Gtk::Application> app_;
    std::vector<sigc::connection> appConnections_;
    gulong queryEndHandler_ = 0;
    MenuState menuState_;
    std::map<VLMainWindowController*, std::unique_ptr<VLMainMenu>> menus_;
    std::unique_ptr<VLScriptManager> scriptManager_;
    std::vector<std::string> userAgentNames_;
    Rect defaultFrame_;
    bool launched_ = false;
    bool firstPageStarted_ = false;
    bool firstPageRestored_ = false;  // the first page loads the first restored address
    // What the first page does not need waits for it to load (see openLaunchGate).
    LaunchGate launchGate_;
    NotificationCenter::Observer launchObserver_;
    sigc::connection launchIdle_;
    sigc::connection launchDeadline_;
    bool terminated_ = false;
    std::optional<WindowSnapshot> lastWindow_;
    std::vector<NotificationCenter::Observer> observers_;
    std::vector<unsigned> signalSources_;
    MenuBarMode::Services menuBarServices_;
    std::unique_ptr<MenuBarMode> menuBarMode_;
    std::unique_ptr<DockMonitor> dockMonitor_;
};
