#pragma once

#include <sigc++/connection.h>
#include <webkit2/webkit2.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browser/NavigationIntents.h"
#include "browser/VLFindBar.h"
#include "browser/VLProgressBarView.h"
#include "browser/VLWebView.h"
#include "foundation/FontSpec.h"
#include "foundation/LifeToken.h"
#include "foundation/NotificationCenter.h"

class VLTabItem;
class VLWebViewControllerDelegate;

// The page controller: one per tab, owning its web view. It loads pages (holding the first load
// until the ad-blocking list is ready when ads are blocked), follows navigation with the
// progress line, tab label, history and refresh timer, injects user scripts and styles, and
// decides which navigations stay in the app and which responses are downloaded.
class VLWebViewController {
  public:
    // A page of a tab or Ctrl+click: its own web view, set up from the settings, observing the
    // app's page notifications. A pending request is loaded once set up.
    explicit VLWebViewController(std::optional<std::string> request = std::nullopt);
    // A page that a page opened (new window): shares the opener's web process and preferences,
    // observes nothing, starts at zoom 1.0 and keeps its zoom changes to itself. The engine loads
    // its first request.
    static std::unique_ptr<VLWebViewController> forNewWindow(VLWebViewController& opener);
    ~VLWebViewController();
    VLWebViewController(const VLWebViewController&) = delete;
    VLWebViewController& operator=(const VLWebViewController&) = delete;

    VLWebView& webview() { return *webview_; }
    VLProgressBarView& progress() { return progress_; }
    VLFindBar& searchBar();
    // Opens the find bar above the page.
    void biginSearch() { searchBar().biginSearch(); }
    static VLWebViewController* forWebView(WebKitWebView* view);

    VLWebViewControllerDelegate* delegate() const { return delegate_; }
    void setDelegate(VLWebViewControllerDelegate* delegate) { delegate_ = delegate; }
    VLTabItem* item() const { return item_; }
    void setItem(VLTabItem* item) { item_ = item; }

    // Loading.
    void loadRequest(const std::string& url);
    void goHome();
    void openUrl(const std::string& text);
    void refresh();
    void stop();
    void updateTabInfo();
    // The user style and script whose patterns match `url` (the current address when none is
    // given), in place of those of the previous address. The page bridge's scripts are
    // installed once with the web view.
    void loadUserScripts(const std::optional<std::string>& url = std::nullopt);
    const std::optional<std::string>& pendingRequest() const { return request_; }

    // User agents.
    void setCustomUserAgent(const std::string& userAgent);
    std::string customUserAgent() const;
    void setUserAgent();
    void setMobileAgent();
    void setDesktopAgent();
    void agentClick(const std::string& key);

    // Ad blocking.
    bool abLoaded() const { return abLoaded_; }
    void addContentBlocker();
    void removeContentBlocker();

    // Zoom (one value for every page, kept in the zoom store).
    double currentZoomFactor() const;
    void setCurrentZoomFactor(double factor);
    bool canZoomIn() const;
    bool canZoomOut() const;
    bool canResetZoom() const;
    void zoomIn();
    void zoomOut();
    void resetZoom();

    void printWebView();
    // Tears the page down: no more delegate calls, an empty document.
    void webViewDidClose();
    // Injects a style sheet into the current page now (the standard font, for one).
    void loadCss(const std::optional<std::string>& css);
    void loadFont(const FontSpec& font);

    bool isRecentNewTab() const { return isRecentNewTab_; }
    void setIsRecentNewTab(bool value) { isRecentNewTab_ = value; }
    const std::optional<std::string>& sourceURL() const { return sourceURL_; }
    const std::optional<std::string>& dockLabel() const { return dockLabel_; }
    void setDockLabel(std::optional<std::string> label) { dockLabel_ = std::move(label); }
    bool refreshTimerRunning() const { return refreshTimer_.connected(); }
    // An https page whose certificate checked out and that loaded nothing over plain http.
    bool hasOnlySecureContent() const;
    // A page the app keeps for its opener whatever its domain (a sign-in pop-up): the whitelist
    // judges nothing in it while it is open.
    bool whitelistExempt() const { return whitelistExempt_; }
    void setWhitelistExempt(bool exempt) { whitelistExempt_ = exempt; }
    // What the app's script in the page reported (a link, a form, a gesture).
    void noteNavigationReport(const nlohmann::json& report);

  private:
    // The engine's signals, one handler each.
    static void loadChanged(WebKitWebView*, WebKitLoadEvent event, VLWebViewController* self);
    static gboolean loadFailed(WebKitWebView*, WebKitLoadEvent, gchar* failingUri, GError* error,
                               VLWebViewController* self);
    static void insecureContentDetected(WebKitWebView*, int, VLWebViewController* self);
    static void progressChanged(WebKitWebView* view, GParamSpec*, VLWebViewController* self);
    static void titleChanged(WebKitWebView*, GParamSpec*, VLWebViewController* self);
    static void loadingChanged(WebKitWebView*, GParamSpec*, VLWebViewController* self);
    static void faviconChanged(WebKitWebView*, GParamSpec*, VLWebViewController* self);
    static void uriChanged(WebKitWebView* view, GParamSpec*, VLWebViewController* self);
    static gboolean decidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                 WebKitPolicyDecisionType type, VLWebViewController* self);
    static GtkWidget* createRequested(WebKitWebView*, WebKitNavigationAction* action,
                                      VLWebViewController* self);
    static void closeRequested(WebKitWebView*, VLWebViewController* self);
    // VLWebViewControllerPanels.cpp: what the engine asks in the user's name.
    static gboolean scriptDialog(WebKitWebView*, WebKitScriptDialog* dialog,
                                 VLWebViewController* self);
    static gboolean authenticate(WebKitWebView*, WebKitAuthenticationRequest* request,
                                 VLWebViewController* self);
    static gboolean runFileChooser(WebKitWebView*, WebKitFileChooserRequest* request,
                                   VLWebViewController* self);
    static gboolean permissionRequest(WebKitWebView*, WebKitPermissionRequest* request,
                                      VLWebViewController* self);
    static gboolean tlsErrors(WebKitWebView*, gchar* failingUri, GTlsCertificate* certificate,
                              GTlsCertificateFlags errors, VLWebViewController* self);
    void decideMediaPermission(WebKitPermissionRequest* request);
    // The address the certificate page's "Continue" link goes to, and taking that navigation as
    // the user's consent to the certificate (true when it was).
    std::string continueAddress() const;
    bool acceptCertificateIfAsked(const std::string& url);
    // A page's window.close().
    void pageRequestedClose();

    // The whitelist judgement and download choice of a response, and the new-page paths.
    bool decideNavigationAction(WebKitPolicyDecision* decision, bool newWindow);
    bool decideResponse(WebKitResponsePolicyDecision* decision);
    GtkWidget* createWebView(WebKitNavigationAction* action);
    void openInNewPage(const std::string& url);

    // Object data on the web view naming its controller.
    static constexpr const char* kControllerKey = "sitebox-page-controller";
    struct NewWindowTag {};
    VLWebViewController(NewWindowTag, VLWebViewController& opener);

    void connectSignals();
    void viewDidLoad();
    void applyPreferences();
    void initializeContentBlocker();
    void installContentBlocker(bool thenLoadPending);
    void restartRefreshTimer();
    void onLoadChanged(WebKitLoadEvent event);
    // True when the failure was answered (an error page of the app's own, or a retry).
    bool onLoadFailed(const std::string& failingUrl, const GError* error);
    void showErrorPage(const std::string& failingUrl, const GError* error);
    // The address of the page on screen, after a load that did not replace it.
    std::string keptUrl() const;
    bool allowedByWhitelist(const std::string& url) const;
    void askToOpenWithApplication(const std::string& url);
    bool mayOpenAppPage(const std::string& url, WebKitNavigationAction* action);
    bool mayOpenWindow(WebKitNavigationAction* action);
    void openLinkInNewPage(const std::string& url);
    void onTitleChanged();
    // The history entry and the end of "recent new tab" of a finished page, once its title is
    // known.
    void recordFinishedPage();
    void onLoadingChanged();
    void onFaviconChanged();
    void handOutRefusedUrl(const std::string& url);
    void onInsecureContent();

    std::unique_ptr<VLWebView> webview_;
    VLProgressBarView progress_;
    std::unique_ptr<VLFindBar> searchBar_;
    VLWebViewControllerDelegate* delegate_ = nullptr;
    VLTabItem* item_ = nullptr;
    std::optional<std::string> request_;
    std::optional<std::string> sourceURL_;
    std::optional<std::string> historyPending_;
    std::optional<std::string> dockLabel_;
    bool isRecentNewTab_ = false;
    bool abLoaded_ = false;
    bool waitingForBlocker_ = false;
    bool newWindowPage_ = false;
    bool closed_ = false;
    bool insecureContent_ = false;
    bool whitelistExempt_ = false;
    bool schemeQuestionOpen_ = false;
    // The error page being loaded for this address, and whether it is on screen.
    std::optional<std::string> errorPageUrl_;
    bool showingErrorPage_ = false;
    // The same typed address over http, tried once when the https guess meets no TLS.
    std::optional<std::string> httpFallback_;
    NavigationIntents intents_;
    // The certificate the page on screen asks the user about.
    struct CertificateException {
        std::string url;
        std::string host;
        GObjectPtr<GTlsCertificate> certificate;
    };
    CertificateException certificateException_;
    struct UserScriptUnref {
        void operator()(WebKitUserScript* script) const { webkit_user_script_unref(script); }
    };
    std::unique_ptr<WebKitUserScript, UserScriptUnref> userStyle_;
    std::unique_ptr<WebKitUserScript, UserScriptUnref> userScript_;
    // The sources of those two, as installed (empty when absent).
    std::pair<std::string, std::string> userScriptSources_;
    sigc::connection refreshTimer_;
    std::vector<NotificationCenter::Observer> observers_;
    LifeToken life_;
};
