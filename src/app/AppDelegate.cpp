#include "app/AppDelegate.h"

#include <glib-unix.h>
#include <glibmm/main.h>
#include <gtkmm/window.h>

#include <csignal>

#include "app/ApplicationId.h"
#include "app/NewWebAppDialog.h"
#include "app/VLCorvaManager.h"
#include "app/VLMainMenu.h"
#include "autofill/VLServiceManager.h"
#include "browser/VLMainWindowController.h"
#include "browser/VLScriptManager.h"
#include "browser/VLTabViewController.h"
#include "browser/VLWebEngine.h"
#include "browser/VLWebManager.h"
#include "browser/VLWebViewController.h"
#include "browser/WelcomePage.h"
#include "browser/WindowRules.h"
#include "downloads/DownloadJournal.h"
#include "foundation/Bundle.h"
#include "foundation/DefaultsKeys.h"
#include "foundation/Log.h"
#include "foundation/StartupTimeline.h"
#include "foundation/UserDefaults.h"
#include "maintenance/Alert.h"
#include "maintenance/Image.h"
#include "maintenance_ui/AlertDialog.h"
#include "maintenance_ui/DesktopIntegration.h"
#include "maintenance_ui/DockTile.h"
#include "maintenance_update/VLUpdateManager.h"
#include "preferences/VLSettingsTabViewController.h"
#include "statusbar/DockMonitor.h"
#include "stores/VLBehaviorManager.h"
#include "stores/VLBookmarksManager.h"
#include "stores/VLFileManager.h"
#include "stores/VLHistoryManager.h"
#include "stores/VLRestoreManager.h"
#include "stores/VLSettingsManager.h"

namespace {
AppDelegate* gShared = nullptr;

std::string windowKey(size_t index) {
    return "window" + std::to_string(index);
}
}  // namespace

AppDelegate* AppDelegate::shared() {
    return gShared;
}

std::string AppDelegate::applicationId(const std::string& bundleIdentifier,
                                       const std::optional<std::string>& appIdentifier) {
    return ApplicationId::of(bundleIdentifier, appIdentifier);
}

AppDelegate::AppDelegate(Gio::ApplicationFlags extraFlags) {
    gShared = this;
    StartupTimeline::mark("toolkit wrappers start");
    app_ = Gtk::Application::create(ApplicationId::ofMainBundle(),
                                    Gio::APPLICATION_HANDLES_OPEN | extraFlags);
    app_->property_register_session() = true;
    appConnections_ = {
        app_->signal_startup().connect([this] { applicationWillFinishLaunching(); }),
        app_->signal_activate().connect([this] {
            if (launched_) {
                applicationShouldHandleReopen();
            }
            launched_ = true;
        }),
        app_->signal_open().connect(
            [this](const Gio::Application::type_vec_files& files, const Glib::ustring&) {
                launched_ = true;
                for (const auto& file : files) {
                    handleURLEvent(file->get_uri());
                }
            }),
        app_->signal_shutdown().connect([this] { applicationWillTerminate(); }),
    };
    queryEndHandler_ = g_signal_connect(app_->gobj(), "query-end", G_CALLBACK(queryEnd), this);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        signalSources_.push_back(g_unix_signal_add(signal, G_SOURCE_FUNC(terminationSignal), this));
    }
}

void AppDelegate::queryEnd(GtkApplication*, AppDelegate* self) {
    // Save as a quit would, but the user may still cancel the logout: the app keeps running and
    // the real quit later saves again.
    self->saveApplicationState();
}

gboolean AppDelegate::terminationSignal(AppDelegate* self) {
    self->applicationWillTerminate();
    self->app_->quit();
    return G_SOURCE_CONTINUE;
}

AppDelegate::~AppDelegate() {
    dockMonitor_.reset();
    menuBarMode_.reset();
    for (unsigned source : signalSources_) {
        g_source_remove(source);
    }
    launchIdle_.disconnect();
    launchDeadline_.disconnect();
    // The application object may outlive this delegate.
    g_signal_handler_disconnect(app_->gobj(), queryEndHandler_);
    for (sigc::connection& connection : appConnections_) {
        connection.disconnect();
    }
    uninstallHooks();
    observers_.clear();
    if (gShared == this) {
        gShared = nullptr;
    }
}

int AppDelegate::run(int argc, char** argv) {
    StartupTimeline::mark("application runs");
    return app_->run(argc, argv);
}

void AppDelegate::applicationWillFinishLaunching() {
    StartupTimeline::mark("application startup");
    installHooks();
    StartupTimeline::mark("hooks installed");
    WelcomePage::install();
    VLWebEngine::shared().holdCacheClearing();
    WelcomePage::setNewAppHandler([this] {
        VLMainWindowController* top = getTopMainController();
        NewWebAppDialog::show(top ? &top->window() : nullptr);
    });
    // The home page loads while the rest comes up: the web process starts meanwhile.
    std::unique_ptr<VLWebViewController> firstPage = startFirstPage();
    firstPageStarted_ = firstPage != nullptr;
    waitForFirstLoad();
    installActions();
    for (const auto& [name, agent] : VLWebManager::sharedManager().userAgents()) {
        userAgentNames_.push_back(name);
    }

    // The first main window exists before the launch steps run.
    createNewMainWindow(std::move(firstPage));
    StartupTimeline::mark("first window created");

    observers_.push_back(NotificationCenter::defaultCenter().addObserver(
        notification::setCustomUserAnget, [this](const Notification& n) {
            if (auto agent = n.objectAs<std::string>()) {
                setCustomAgent(*agent);
            }
        }));
    // A download that starts shows the toolbar, where its button is.
    observers_.push_back(NotificationCenter::defaultCenter().addObserver(
        notification::downloadAdd, [this](const Notification&) { showWindowToolbar(); }));
    addUseragents();
    setBookmarkTitle(VLSettingsManager::sharedManager().showBookmarkBar());
    VLRestoreManager::sharedManager();  // its first use reads restore.json
    VLMainWindowController* first = getTopMainController();
    VLCorvaManager::sharedManager(*this);
    const bool enterprise = VLCorvaManager::enterpriseBuild();
    if (enterprise) {
        disableToolBarMenuItem();
    }
    if (statusBarMode() && first) {
        launchInMenuBarMode(*first);
    } else {
        restoreWindowsAtLaunch(first);
    }
    VLWebEngine::shared().releaseCacheClearing();
    launchGate_.defer([this] { applicationDidFinishLaunching(); });
    StartupTimeline::mark("first launch phase done");
}

void AppDelegate::waitForFirstLoad() {
    // A loading page shares two cores with its web and network processes: the rest of the
    // launch runs when the first page (home or restored) has loaded or failed, from the loop,
    // or after two seconds. Without a page to wait for (the tray), once the launch returns.
    if (statusBarMode()) {
        launchIdle_ = Glib::signal_idle().connect([this] {
            openLaunchGate();
            return false;
        });
        return;
    }
    launchObserver_ = NotificationCenter::defaultCenter().addObserver(
        notification::pageLoadFinished, [this](const Notification&) {
            if (!launchIdle_.connected()) {
                launchIdle_ = Glib::signal_idle().connect([this] {
                    openLaunchGate();
                    return false;
                });
            }
        });
    launchDeadline_ = Glib::signal_timeout().connect(
        [this] {
            openLaunchGate();
            return false;
        },
        2000);
}

void AppDelegate::openLaunchGate() {
    launchObserver_.reset();
    launchIdle_.disconnect();
    launchDeadline_.disconnect();
    launchGate_.open();
}

std::unique_ptr<VLWebViewController> AppDelegate::startFirstPage() {
    if (statusBarMode()) {
        return nullptr;
    }
    // Only a launch that restores pages needs the restore store before the first page.
    std::optional<std::string> restored;
    if (VLBehaviorManager::sharedManager().restoreWindowsAndTabs()) {
        VLRestoreManager& restore = VLRestoreManager::sharedManager();
        std::vector<std::string> keys = restore.windowKeys();
        std::vector<std::string> urls;
        if (!keys.empty()) {
            urls = restore.getUrlsForKey(keys[0]).value_or(std::vector<std::string>{});
        }
        if (!urls.empty()) {
            // An enterprise build goes home instead, once its configuration is in place.
            if (VLCorvaManager::enterpriseBuild()) {
                return nullptr;
            }
            restored = urls[0];
        }
    }
    std::unique_ptr<VLWebViewController> page = VLTabViewController::makePage();
    if (restored) {
        page->loadRequest(*restored);
        firstPageRestored_ = true;
    } else {
        page->goHome();
    }
    return page;
}

void AppDelegate::restoreWindowsAtLaunch(VLMainWindowController* first) {
    VLRestoreManager& restore = VLRestoreManager::sharedManager();
    const bool enterprise = VLCorvaManager::enterpriseBuild();
    if (first) {
        first->window().set_opacity(1.0);
        if (enterprise) {
            setFirstWindowAlpha(VLCorvaManager::alphaValue());
        }
        std::vector<std::string> keys = restore.windowKeys();
        restorWindow(first, keys.empty() ? std::nullopt : std::optional<std::string>(keys[0]));
        VLBehaviorManager& behavior = VLBehaviorManager::sharedManager();
        if (behavior.restoreWindowsAndTabs()) {
            // A first page already loading either restores the first address or had nothing to
            // restore and went home.
            if (!firstPageStarted_ && enterprise) {
                first->tabController().goHome();
            } else if (!firstPageStarted_ || firstPageRestored_) {
                first->tabController().restoreUrls(
                    keys.empty()
                        ? std::vector<std::string>{}
                        : restore.getUrlsForKey(keys[0]).value_or(std::vector<std::string>{}),
                    firstPageRestored_);
            }
            for (size_t i = 1; i < keys.size(); ++i) {
                VLMainWindowController* target = nullptr;
                if (behavior.openTabInsteadWindow()) {
                    target = getTopMainController();
                    if (target) {
                        target->tabController().addNewTab();
                    }
                } else {
                    target = VLMainWindowController::create();
                    restorWindow(target, keys[i]);
                }
                if (target) {
                    target->tabController().restoreUrls(
                        restore.getUrlsForKey(keys[i]).value_or(std::vector<std::string>{}));
                }
            }
        } else if (!firstPageStarted_) {
            first->tabController().goHome();
        }
    }
    // Dictionaries and a defaults write: nothing the first page waits for.
    launchGate_.defer([this] { enableSpellCheckAndGrammar(); });
}

void AppDelegate::applicationDidFinishLaunching() {
    VLUpdateManager::sharedManager().addUpdatePath(Bundle::main().bundlePath());
    // Partial downloads a crash left behind.
    DownloadJournal::setPath(VLFileManager::getSettingsPath() + "partial-downloads.json");
    DownloadJournal::sweep();
    observers_.push_back(NotificationCenter::defaultCenter().addObserver(
        notification::showWindow, [this](const Notification&) { showWindowOnATopNotification(); }));
    const std::string name = appName();
    menuState_.titles["aboutItem"] = "About " + name;
    menuState_.titles["hideItem"] = "Hide " + name;
    menuState_.titles["quitItem"] = "Quit " + name;
    menuState_.titles["helpItem"] = name + " Help";
    menuState_.titles["appMenuItem"] = name;
    applyMenuState();
    scriptManager_ = std::make_unique<VLScriptManager>();
    scriptManager_->setup();
    const std::string icon = Bundle::main().resourcePath() + "/AppIcon.icns";
    std::string error;
    if (auto image = Image::fromFile(icon, &error)) {
        // Through the dock tile, which draws the unread badge and the dock monitor over it.
        DockTile::shared().setApplicationIcon(*image);
    } else {
        Log::warning("app icon not loaded: ", error);
    }
    if (VLMainWindowController* top = getTopMainController()) {
        top->updateWindowTitlebar();
    }
    StartupTimeline::mark("second launch phase done");
}

bool AppDelegate::applicationShouldHandleReopen() {
    Log::line("applicationShouldHandleReopen");
    if (bringPopUpBrowserForward()) {
        return true;
    }
    bool visible = false;
    for (VLMainWindowController* controller : VLMainWindowController::openControllers()) {
        visible = visible || controller->window().get_visible();
    }
    if (visible) {
        if (VLMainWindowController* top = getTopMainController()) {
            top->window().present();
        }
    } else if (!VLMainWindowController::openControllers().empty()) {
        // The app was hidden: bring its windows back.
        VLMainWindowController::unhideApplication();
    } else {
        newWindowClick();
    }
    return true;
}

void AppDelegate::handleURLEvent(const std::string& url) {
    Log::print("event: open url");
    Log::print("url = ", Log::address(url));
    VLMainWindowController* top = getTopMainController();
    if (!top) {
        return;
    }
    switch (VLBehaviorManager::sharedManager().openLinksIn()) {
        case 0: {
            VLMainWindowController* window = VLMainWindowController::create();
            if (window) {
                window->tabController().restoreUrls({url});
            }
            break;
        }
        case 1:
            top->tabController().addNewTab();
            top->tabController().openUrl(url);
            break;
        case 2:
            top->tabController().openUrl(url);
            break;
        default:
            break;  // URL events are ignored
    }
}

bool AppDelegate::applicationShouldTerminate() {
    if (!VLBehaviorManager::sharedManager().warnCloseWindows() || app_->get_windows().size() < 2) {
        return true;
    }
    Alert alert{"Are you sure you want to quit?",
                "Quitting will close all Windows and Tabs.",
                {"Quit", "Cancel"},
                Alert::Style::Warning};
    VLMainWindowController* top = getTopMainController();
    return AlertDialog::run(alert, top ? &top->window() : nullptr) == 0;
}

void AppDelegate::terminate() {
    if (!applicationShouldTerminate()) {
        return;
    }
    applicationWillTerminate();
    app_->quit();
}

std::string AppDelegate::frameString(VLMainWindowController& controller) {
    int x = 0, y = 0, width = 0, height = 0;
    controller.window().get_position(x, y);
    controller.window().get_size(width, height);
    return stringFromRect(Rect{{double(x), double(y)}, {double(width), double(height)}});
}

void AppDelegate::windowWillClose(VLMainWindowController& controller) {
    if (menuBarMode_) {
        menuBarMode_->windowWillClose(controller);
    }
    // The last window closing ends the app here: keep what it showed for the next launch.
    if (VLMainWindowController::openControllers().size() == 1) {
        lastWindow_ =
            WindowSnapshot{controller.tabController().getOpenedUrls(), frameString(controller)};
    }
    menus_.erase(&controller);
}

void AppDelegate::applicationWillTerminate() {
    if (terminated_) {
        return;
    }
    terminated_ = true;
    saveApplicationState();
    // Downloads under way end with the app; their partial files go with them.
    DownloadJournal::sweep();
}

void AppDelegate::saveApplicationState() {
    // An open preferences window hands its pane's edits to the stores first.
    VLSettingsTabViewController::closeCurrent();
    VLSettingsManager::sharedManager().saveSettings();
    VLRestoreManager& restore = VLRestoreManager::sharedManager();
    const auto& open = VLMainWindowController::openControllers();
    if (VLBehaviorManager::sharedManager().restoreWindowsAndTabs()) {
        restore.clear();
        for (size_t i = 0; i < open.size(); ++i) {
            restore.addUrls(open[i]->tabController().getOpenedUrls(), windowKey(i));
            restore.setWindowFrameString(frameString(*open[i]), windowKey(i));
        }
        if (open.empty() && lastWindow_) {
            restore.addUrls(lastWindow_->urls, windowKey(0));
            restore.setWindowFrameString(lastWindow_->frame, windowKey(0));
        }
        restore.save();
    } else {
        if (VLMainWindowController* top = getTopMainController()) {
            restore.setWindowFrameString(frameString(*top), windowKey(0));
        } else if (lastWindow_) {
            restore.setWindowFrameString(lastWindow_->frame, windowKey(0));
        }
        restore.save();
    }
    VLHistoryManager::sharedManager().save();
    VLBookmarksManager::sharedManager().save();
}

VLMainWindowController* AppDelegate::getTopMainController() {
    // The application lists its windows most recently focused first.
    for (Gtk::Window* window : app_->get_windows()) {
        if (VLMainWindowController* controller = VLMainWindowController::forWindow(window)) {
            return controller;
        }
    }
    const auto& open = VLMainWindowController::openControllers();
    return open.empty() ? nullptr : open.front();
}

VLMainWindowController* AppDelegate::createNewMainWindow() {
    return createNewMainWindow(nullptr);
}

VLMainWindowController* AppDelegate::createNewMainWindow(
    std::unique_ptr<VLWebViewController> firstPage) {
    VLMainWindowController* controller = VLMainWindowController::create(std::move(firstPage));
    if (controller) {
        controller->window().present();
    }
    return controller;
}

Rect AppDelegate::mainScreenFrame() const {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
    if (!monitor && display && gdk_display_get_n_monitors(display) > 0) {
        monitor = gdk_display_get_monitor(display, 0);
    }
    if (!monitor) {
        return Rect{{0, 0}, {1280, 800}};
    }
    GdkRectangle area;
    gdk_monitor_get_geometry(monitor, &area);
    return Rect{{double(area.x), double(area.y)}, {double(area.width), double(area.height)}};
}

void AppDelegate::setFrame(VLMainWindowController& controller, const Rect& frame, bool centre) {
    Gtk::Window& window = controller.window();
    const int width = std::max(1, int(frame.size.width));
    const int height = std::max(1, int(frame.size.height));
    window.resize(width, height);
    if (centre) {
        // Placed by hand: GTK ignores a centring position for a window already shown.
        const Rect screen = mainScreenFrame();
        window.move(int(screen.origin.x + (screen.size.width - width) / 2),
                    int(screen.origin.y + (screen.size.height - height) / 2));
    } else {
        window.move(int(frame.origin.x), int(frame.origin.y));
    }
}

void AppDelegate::restorWindow(VLMainWindowController* controller,
                               const std::optional<std::string>& key) {
    if (!controller || VLCorvaManager::enterpriseBuild()) {
        return;
    }
    VLBehaviorManager& behavior = VLBehaviorManager::sharedManager();
    const Rect screen = mainScreenFrame();
    if (behavior.mobileVersion() && (!key || key->empty())) {
        setFrame(*controller, Rect{screen.origin, {320, 400}}, false);
        return;
    }
    if (!behavior.windowAllSpace() && key && !key->empty()) {
        if (auto text = VLRestoreManager::sharedManager().windowsFrameString(*key)) {
            Rect frame = rectFromString(*text);
            if (!frame.isZero()) {
                setFrame(*controller, frame, false);
                return;
            }
        }
    }
    if (VLCorvaManager::corvaCreationToolBuild()) {
        setFrame(*controller,
                 Rect{screen.origin, VLCorvaManager::corvaCreationToolWindowSize(screen.size)},
                 true);
    } else {
        setFrame(*controller, screen, false);
    }
}

void AppDelegate::showWindowOnATopNotification() {
    if (bringPopUpBrowserForward()) {
        return;
    }
    if (VLMainWindowController* top = getTopMainController()) {
        // To the front without taking the focus from what the user is doing.
        top->window().show();
        if (auto window = top->window().get_window()) {
            window->raise();
        }
    }
}

void AppDelegate::enableSpellCheckAndGrammar() {
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setBool(defaults_key::webGrammarCheckingEnabled, true);
    defaults.setBool(defaults_key::webContinuousSpellCheckingEnabled, true);
    webkit_web_context_set_spell_checking_enabled(VLWebEngine::shared().context(), TRUE);
}

std::string AppDelegate::appName() const {
    return VLCorvaManager::enterpriseBuild() ? VLCorvaManager::appName() : appTargetName();
}

std::string AppDelegate::appTargetName() const {
    return WindowRules::appTargetName(Bundle::main().bundlePath());
}

bool AppDelegate::statusBarMode() const {
    return VLBehaviorManager::sharedManager().statusBarMode();
}
