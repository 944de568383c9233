#include "browser/VLWebViewController.h"

#include <glibmm/main.h>

#include "browser/ContentBlocker.h"
#include "browser/HistoryDate.h"
#include "browser/PageAddress.h"
#include "browser/SwipeGestureDevices.h"
#include "browser/UserStyleScript.h"
#include "browser/VLScriptMessageHandler.h"
#include "browser/VLTabItem.h"
#include "browser/VLWebEngine.h"
#include "browser/VLWebManager.h"
#include "browser/VLWebViewControllerDelegate.h"
#include "browser/WelcomePage.h"
#include "foundation/Log.h"
#include "foundation/NotificationNames.h"
#include "foundation/TypedAddress.h"
#include "rules/VLScriptsManager.h"
#include "stores/VLBehaviorManager.h"
#include "stores/VLHistoryManager.h"
#include "stores/VLSettingsManager.h"
#include "stores/VLShortcutManager.h"
#include "stores/VLWebPageZoomManager.h"

namespace {
// Reports of the app's own page script reach the controller of the page that sent them.
void routeNavigationReports() {
    static bool routed = false;
    if (routed) {
        return;
    }
    routed = true;
    VLScriptMessageHandler::sharedHandler().setRoute(
        VLScriptMessageHandler::kNavigationChannel,
        [](const nlohmann::json& body, WebKitWebView* view) {
            if (VLWebViewController* controller = VLWebViewController::forWebView(view)) {
                controller->noteNavigationReport(body);
            }
        });
}

// A style or script at document end in the main frame, kept so it can be taken out again.
WebKitUserScript* addUserScript(WebKitUserContentManager* manager, const std::string& source) {
    WebKitUserScript* script =
        webkit_user_script_new(source.c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                               WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_END, nullptr, nullptr);
    webkit_user_content_manager_add_script(manager, script);
    return script;
}
}  // namespace

VLWebViewController::VLWebViewController(std::optional<std::string> request)
    : webview_(std::make_unique<VLWebView>(VLWebView::SharedProcess::Yes)),
      request_(std::move(request)) {
    routeNavigationReports();
    connectSignals();
    loadUserScripts();
    setCurrentZoomFactor(1.0);
    viewDidLoad();
    applyPreferences();
    setUserAgent();
    if (request_) {
        loadRequest(*request_);
    }
}

VLWebViewController::VLWebViewController(NewWindowTag, VLWebViewController& opener)
    : webview_(std::make_unique<VLWebView>(opener.webview_.get())), newWindowPage_(true) {
    connectSignals();
    // The same preferences as the opener's, from the same settings; the user agent came along
    // with the web view.
    applyPreferences();
    if (opener.abLoaded_) {
        addContentBlocker();
    }
    isRecentNewTab_ = true;
}

std::unique_ptr<VLWebViewController> VLWebViewController::forNewWindow(
    VLWebViewController& opener) {
    return std::unique_ptr<VLWebViewController>(new VLWebViewController(NewWindowTag{}, opener));
}

VLWebViewController::~VLWebViewController() {
    refreshTimer_.disconnect();
    observers_.clear();
    g_signal_handlers_disconnect_by_data(webview_->webView(), this);
    g_object_set_data(G_OBJECT(webview_->webView()), kControllerKey, nullptr);
    if (!closed_) {
        webkit_web_view_load_html(webview_->webView(), "<html/>", nullptr);
    }
}

VLFindBar& VLWebViewController::searchBar() {
    // Made when the page goes into a window: its widgets are the first text a launch lays out
    // (fonts, input methods), which need not delay the first page's web process.
    if (!searchBar_) {
        searchBar_ = std::make_unique<VLFindBar>(*webview_);
    }
    return *searchBar_;
}

VLWebViewController* VLWebViewController::forWebView(WebKitWebView* view) {
    return view ? static_cast<VLWebViewController*>(
                      g_object_get_data(G_OBJECT(view), kControllerKey))
                : nullptr;
}

void VLWebViewController::viewDidLoad() {
    auto& center = NotificationCenter::defaultCenter();
    auto observe = [&](const char* name, std::function<void(const Notification&)> handler) {
        observers_.push_back(center.addObserver(name, std::move(handler)));
    };
    observe(notification::changeUserAnget, [this](const Notification& n) {
        if (auto key = n.objectAs<std::string>()) {
            agentClick(*key);
        }
    });
    observe(notification::refreshFont, [this](const Notification& n) {
        if (auto font = n.objectAs<FontSpec>()) {
            loadFont(*font);
        } else {
            refresh();
        }
    });
    observe(notification::enablePlugins, [](const Notification&) {
        // Browser plug-ins no longer exist in the engine; the switch has nothing to turn on.
    });
    observe(notification::enableJavaScript, [this](const Notification&) { applyPreferences(); });
    observe(notification::blockPopupWindoww, [this](const Notification&) { applyPreferences(); });
    observe(notification::hideProgressBar, [](const Notification&) {
        // Read again at the start of every navigation.
    });
    observe(notification::blockAds, [this](const Notification&) {
        if (VLSettingsManager::sharedManager().blockAds()) {
            addContentBlocker();
        } else {
            removeContentBlocker();
        }
    });
    observe(notification::swipeDevicesChange, [this](const Notification&) { applyPreferences(); });
    observe(notification::requestDesktopVersion,
            [this](const Notification&) { setDesktopAgent(); });
    observe(notification::requestMobileVersion, [this](const Notification&) { setMobileAgent(); });
    observe(notification::refreshTimeIntervalChange,
            [this](const Notification&) { restartRefreshTimer(); });
}

void VLWebViewController::applyPreferences() {
    VLSettingsManager& settings = VLSettingsManager::sharedManager();
    WebKitSettings* preferences = webview_->settings();
    webkit_settings_set_enable_developer_extras(preferences, TRUE);
    // Blocking pop-ups means scripts may not open windows without a click.
    webkit_settings_set_javascript_can_open_windows_automatically(preferences,
                                                                  !settings.blockPopupWindow());
    // "JavaScript off" stops the page's own scripts; the app's page bridge and its script calls
    // keep working, as they do in the platform's engine.
    webkit_settings_set_enable_javascript(preferences, TRUE);
    webkit_settings_set_enable_javascript_markup(preferences, settings.enableJavaScript());
    webkit_settings_set_enable_fullscreen(preferences, TRUE);
    webkit_settings_set_enable_back_forward_navigation_gestures(
        preferences, SwipeGestureDevices::shared().available());
    webkit_settings_set_enable_media_stream(preferences, TRUE);
    webkit_settings_set_enable_mediasource(preferences, TRUE);
    webkit_settings_set_enable_webrtc(preferences, TRUE);
    webkit_settings_set_media_playback_allows_inline(preferences, TRUE);
}

void VLWebViewController::loadRequest(const std::string& url) {
    if (!abLoaded_ && !newWindowPage_ && VLSettingsManager::sharedManager().blockAds()) {
        // Only the latest request waits for the rule list.
        request_ = url;
        if (!waitingForBlocker_) {
            waitingForBlocker_ = true;
            initializeContentBlocker();
        }
        return;
    }
    webview_->loadRequest(url);
    request_.reset();
}

void VLWebViewController::initializeContentBlocker() {
    installContentBlocker(true);
}

void VLWebViewController::addContentBlocker() {
    installContentBlocker(false);
}

void VLWebViewController::installContentBlocker(bool thenLoadPending) {
    ContentBlocker::shared().obtain(
        [this, thenLoadPending, alive = life_.watch()](const ContentBlocker::Filters& filters) {
            if (alive.expired()) {
                return;
            }
            for (WebKitUserContentFilter* filter : filters) {
                webkit_user_content_manager_add_filter(webview_->userContentManager(), filter);
            }
            // Without a list the page still loads, unblocked.
            abLoaded_ = true;
            if (!thenLoadPending) {
                return;
            }
            waitingForBlocker_ = false;
            if (request_) {
                std::string pending = *request_;
                request_.reset();
                webview_->loadRequest(pending);
            }
        });
}

void VLWebViewController::removeContentBlocker() {
    ContentBlocker::shared().removeFrom(webview_->userContentManager());
    abLoaded_ = false;
}

void VLWebViewController::goHome() {
    VLSettingsManager& settings = VLSettingsManager::sharedManager();
    if (settings.openEmptyPage()) {
        return;
    }
    if (auto home = settings.getMainUrl()) {
        loadRequest(home->absoluteString());
    } else {
        // A new app: its welcome page tells how to give it a home page.
        WelcomePage::install();
        loadRequest(WelcomePage::url());
    }
}

void VLWebViewController::openUrl(const std::string& text) {
    auto url =
        PageAddress::resolve(text, VLShortcutManager::sharedManager().findUrlForShortcut(text));
    if (!url) {
        Log::line("the typed text names nothing to open");
        return;
    }
    dockLabel_.reset();
    httpFallback_ = TypedAddress::plainHttpFallback(
        VLShortcutManager::sharedManager().findUrlForShortcut(text).value_or(text), *url);
    loadRequest(*url);
}

void VLWebViewController::refresh() {
    VLWebView::clearLoginData(*webview_);
    webkit_web_view_reload(webview_->webView());
}

void VLWebViewController::stop() {
    webkit_web_view_stop_loading(webview_->webView());
}

void VLWebViewController::updateTabInfo() {
    const std::string title = webview_->title();
    if (!title.empty() && item_) {
        item_->setLabel(title);
    }
}

void VLWebViewController::loadUserScripts(const std::optional<std::string>& forUrl) {
    const std::string url = forUrl.value_or(webview_->url());
    std::pair<std::string, std::string> sources;
    if (auto style = VLStylesManager::sharedManager().findScriptFor(url)) {
        sources.first = UserStyleScript::wrap(*style);
    }
    if (auto script = VLScriptsManager::sharedManager().findScriptFor(url)) {
        sources.second = *script;
    }
    // The same ones again (at commit, after the response installed them) stay: taken out and
    // put back, they could miss the document if it ends between the two.
    if (sources == userScriptSources_) {
        return;
    }
    WebKitUserContentManager* manager = webview_->userContentManager();
    for (auto* previous : {&userStyle_, &userScript_}) {
        if (*previous) {
            webkit_user_content_manager_remove_script(manager, previous->get());
            previous->reset();
        }
    }
    userScriptSources_ = sources;
    if (!sources.first.empty()) {
        userStyle_.reset(addUserScript(manager, sources.first));
    }
    if (!sources.second.empty()) {
        userScript_.reset(addUserScript(manager, sources.second));
    }
}

void VLWebViewController::noteNavigationReport(const nlohmann::json& report) {
    if (!report.is_object()) {
        return;
    }
    const auto kind = report.find("kind");
    if (kind == report.end() || !kind->is_string()) {
        return;
    }
    if (*kind == "gesture") {
        intents_.noteGesture();
        return;
    }
    const auto url = report.find("url");
    const auto target = report.find("target");
    if (url == report.end() || !url->is_string() || target == report.end() ||
        !target->is_string()) {
        return;
    }
    const auto where = *target == "new" ? NavigationIntents::Target::NewWindow
                                        : NavigationIntents::Target::MainFrame;
    if (*kind == "link") {
        intents_.noteLink(url->get<std::string>(), where);
    } else if (*kind == "form") {
        intents_.noteForm(url->get<std::string>(), where);
    }
}

void VLWebViewController::setCustomUserAgent(const std::string& userAgent) {
    webkit_settings_set_user_agent(webview_->settings(),
                                   userAgent.empty() ? nullptr : userAgent.c_str());
}

std::string VLWebViewController::customUserAgent() const {
    const char* agent = webkit_settings_get_user_agent(webview_->settings());
    return agent ? agent : "";
}

void VLWebViewController::setUserAgent() {
    if (!VLBehaviorManager::sharedManager().mobileVersion()) {
        return;
    }
    setCustomUserAgent(VLWebManager::sharedManager().userAgent("iPhone"));
    VLWebEngine::shared().clearCacheForUserAgent(customUserAgent());
}

void VLWebViewController::setMobileAgent() {
    setCustomUserAgent(VLWebManager::sharedManager().userAgent("iPhone"));
    refresh();
}

void VLWebViewController::setDesktopAgent() {
    setCustomUserAgent(VLWebManager::sharedManager().userAgent("Safari-Mac"));
    refresh();
}

void VLWebViewController::agentClick(const std::string& key) {
    const auto& agents = VLWebManager::sharedManager().userAgents();
    auto it = agents.find(key);
    // A name the table does not know leaves the engine's own agent.
    setCustomUserAgent(it != agents.end() ? it->second : std::string());
    VLWebEngine::shared().clearCacheForUserAgent(customUserAgent());
}

void VLWebViewController::restartRefreshTimer() {
    refreshTimer_.disconnect();
    const double interval = VLSettingsManager::sharedManager().refreshTimeInterval();
    if (!(interval > 0)) {
        return;
    }
    const auto milliseconds = static_cast<unsigned int>(std::min(interval * 1000.0, 4.0e9));
    refreshTimer_ = Glib::signal_timeout().connect(
        [this] {
            refresh();
            return true;
        },
        std::max(milliseconds, 1u));
}
