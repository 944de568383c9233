// Which navigations stay in the app, which leave it, which open new pages, and which responses
// are saved instead of shown.
#include <gdk/gdk.h>
#include <glibmm/main.h>
#include <gtk/gtk.h>

#include "browser/PolicyRules.h"
#include "browser/VLPopupWindow.h"
#include "browser/VLWebManager.h"
#include "browser/VLWebViewController.h"
#include "browser/VLWebViewControllerDelegate.h"
#include "browser/Workspace.h"
#include "foundation/Log.h"
#include "maintenance_ui/AlertDialog.h"
#include "rules/VLWhiteListManager.h"
#include "stores/VLBehaviorManager.h"
#include "stores/VLSettingsManager.h"

namespace {
// Schemes the engine shows itself; every other non-web scheme belongs to another application.
bool engineScheme(const std::string& url) {
    for (const char* scheme : {"about:", "data:", "blob:", "file:", "javascript:"}) {
        if (url.rfind(scheme, 0) == 0) {
            return true;
        }
    }
    return false;
}

bool appPage(const std::string& url) {
    return url.rfind(VLWebView::kAppScheme, 0) == 0;
}

// Ctrl+click (Ctrl alone) or a middle click opens a link in a new page.
bool opensNewPage(WebKitNavigationAction* action) {
    const guint modifiers = webkit_navigation_action_get_modifiers(action) &
                            (GDK_SHIFT_MASK | GDK_CONTROL_MASK | GDK_MOD1_MASK | GDK_SUPER_MASK |
                             GDK_META_MASK | GDK_HYPER_MASK);
    const guint button = webkit_navigation_action_get_mouse_button(action);
    if (button == 2) {
        return true;
    }
    return button == 1 && modifiers == GDK_CONTROL_MASK;
}

std::string requestUrl(WebKitNavigationAction* action) {
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
    return uri ? uri : "";
}

}  // namespace

bool VLWebViewController::allowedByWhitelist(const std::string& url) const {
    return whitelistExempt_ || !PolicyRules::isWebAddress(url) ||
           VLWhiteListManager::sharedManager().isUrlAllow(url);
}

bool VLWebViewController::mayOpenAppPage(const std::string& url, WebKitNavigationAction* action) {
    // The app's own pages open when the app loads them, from each other (the welcome page's
    // form), and again from history; never from a web page.
    if (webview_->takeAppPageRequest(url) || appPage(webview_->shownUrl())) {
        return true;
    }
    const WebKitNavigationType type = webkit_navigation_action_get_navigation_type(action);
    return type == WEBKIT_NAVIGATION_TYPE_RELOAD || type == WEBKIT_NAVIGATION_TYPE_BACK_FORWARD;
}

void VLWebViewController::askToOpenWithApplication(const std::string& url) {
    if (schemeQuestionOpen_) {
        Log::warningLine("a page asked to open another application again while asked; dropped");
        return;
    }
    auto application = Workspace::shared().applicationForUrl(url);
    if (!application) {
        // Nothing would open it: the page stays as it is.
        Log::warningLine("no application opens this kind of address; the link does nothing");
        return;
    }
    schemeQuestionOpen_ = true;
    Alert alert{"Open " + application->name + "?",
                "A website wants to open this application.",
                {"Open", "Cancel"},
                Alert::Style::Informational};
    AlertDialog::present(alert, webview_->toplevelWindow(),
                         [this, alive = life_.watch(), url, app = *application](int answer) {
                             if (!alive.expired()) {
                                 schemeQuestionOpen_ = false;
                             }
                             if (answer == 0) {
                                 Workspace::shared().openUrlWith(url, app);
                             }
                         });
}

bool VLWebViewController::decideNavigationAction(WebKitPolicyDecision* decision, bool newWindow) {
    WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
        WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    const std::string url = requestUrl(action);

    if (acceptCertificateIfAsked(url)) {
        webkit_policy_decision_ignore(decision);
        return true;
    }

    if (appPage(url)) {
        if (newWindow || !mayOpenAppPage(url, action)) {
            Log::warningLine("a page tried to open one of the app's own pages; refused");
            webkit_policy_decision_ignore(decision);
            return true;
        }
        webkit_policy_decision_use(decision);
        return true;
    }

    if (!PolicyRules::isWebAddress(url) && !engineScheme(url)) {
        // Cancelled at once; the question, if any, comes after.
        webkit_policy_decision_ignore(decision);
        askToOpenWithApplication(url);
        return true;
    }

    if (!newWindow && opensNewPage(action) && delegate_ &&
        delegate_->respondsToNewWebViewConstroller()) {
        webkit_policy_decision_ignore(decision);
        if (!allowedByWhitelist(url)) {
            handOutRefusedUrl(url);
        } else {
            openLinkInNewPage(url);
        }
        return true;
    }

    // A click or form of the user in the main frame (or into a new window) is judged before
    // anything is fetched, so a refused host never hears from the app. Other navigations are
    // judged when their response arrives, where the engine says which frame they are for.
    const auto target =
        newWindow ? NavigationIntents::Target::NewWindow : NavigationIntents::Target::MainFrame;
    if (webkit_navigation_action_is_user_gesture(action) && PolicyRules::isWebAddress(url) &&
        intents_.takeNavigation(url, target) &&
        !allowedByWhitelist(newWindow ? url : PolicyRules::judgedUrl(sourceURL_, url))) {
        webkit_policy_decision_ignore(decision);
        if (newWindow) {
            intents_.takeWindowGesture();  // the click is spent on the other browser
        }
        handOutRefusedUrl(url);
        return true;
    }
    webkit_policy_decision_use(decision);
    return true;
}

std::unique_ptr<VLWebViewController> VLWebViewControllerDelegate::createWebViewController() {
    return nullptr;
}

void VLWebViewController::openLinkInNewPage(const std::string& url) {
    std::unique_ptr<VLWebViewController> controller = delegate_->createWebViewController();
    if (!controller) {
        controller = std::make_unique<VLWebViewController>();
    }
    controller->loadRequest(url);
    delegate_->newWebViewConstroller(std::move(controller));
}

bool VLWebViewController::decideResponse(WebKitResponsePolicyDecision* decision) {
    WebKitURIResponse* response = webkit_response_policy_decision_get_response(decision);
    WebKitURIRequest* request = webkit_response_policy_decision_get_request(decision);
    const char* responseUri = webkit_uri_response_get_uri(response);
    const std::string responseUrl = responseUri ? responseUri : "";
    const char* requestUri = request ? webkit_uri_request_get_uri(request) : nullptr;
    const std::string requestUrl = requestUri ? requestUri : responseUrl;
    const char* method = request ? webkit_uri_request_get_http_method(request) : nullptr;
    const char* mime = webkit_uri_response_get_mime_type(response);
    const bool mainFrame = webkit_response_policy_decision_is_main_frame_main_resource(decision);

    if (mainFrame && errorPageUrl_ && responseUrl == *errorPageUrl_) {
        // The app's own error page for an address that never answered.
        webkit_policy_decision_use(WEBKIT_POLICY_DECISION(decision));
        return true;
    }

    std::optional<std::string> disposition;
    SoupMessageHeaders* headers = webkit_uri_response_get_http_headers(response);
    if (headers) {
        if (const char* value = soup_message_headers_get_one(headers, "Content-Disposition")) {
            disposition = value;
        }
        VLWebManager::sharedManager().storeCookies(
            responseUrl, mainFrame ? responseUrl : webview_->url(), headers);
    }
    // Header values stay out of the log: they carry the site's cookies.
    Log::print("response ", webkit_uri_response_get_status_code(response), " ", mime ? mime : "",
               " ", Log::address(responseUrl));

    if (mainFrame && !allowedByWhitelist(PolicyRules::judgedUrl(sourceURL_, responseUrl))) {
        webkit_policy_decision_ignore(WEBKIT_POLICY_DECISION(decision));
        handOutRefusedUrl(requestUrl);
        return true;
    }

    if (mainFrame) {
        // Scripts registered now reach the document about to be made; at commit it is too late
        // for this page's document-end scripts.
        loadUserScripts(responseUrl);
    }
    PolicyRules::Response facts{mainFrame, responseUrl, mime ? mime : "", disposition,
                                webview_->needToDownload()};
    PolicyRules::ResponseDecision choice = PolicyRules::decideResponse(facts);
    if (choice.kind == PolicyRules::ResponseDecision::Kind::Download) {
        if (choice.clearsDownloadFlag) {
            webview_->setNeedToDownload(false);
        }
        if (!PolicyRules::canFetchAgain(method ? method : "", responseUrl)) {
            // Only the engine holds this answer: it saves it, after the same save dialog.
            webkit_policy_decision_download(WEBKIT_POLICY_DECISION(decision));
            return true;
        }
        webkit_policy_decision_ignore(WEBKIT_POLICY_DECISION(decision));
        VLWebManager::sharedManager().downloadFile(choice.fileName, responseUrl, webview_.get());
        return true;
    }
    webkit_policy_decision_use(WEBKIT_POLICY_DECISION(decision));
    return true;
}

void VLWebViewController::handOutRefusedUrl(const std::string& url) {
    const bool background = VLBehaviorManager::sharedManager().openOtherAppInBackground();
    Workspace::shared().openUrl(url, background, [this, background, alive = life_.watch()] {
        if (!background || alive.expired()) {
            return;
        }
        // The other application took the focus; come back in front of it.
        if (Gtk::Window* window = webview_->toplevelWindow()) {
            window->present();
        }
    });
    if (isRecentNewTab_ && delegate_) {
        // Closing the tab destroys this controller: do it once the engine's call has returned.
        Glib::signal_idle().connect_once([this, alive = life_.watch()] {
            if (!alive.expired() && delegate_) {
                delegate_->closeTab(*this);
            }
        });
    }
}

bool VLWebViewController::mayOpenWindow(WebKitNavigationAction* action) {
    const std::string url = requestUrl(action);
    if (appPage(url) && !appPage(webview_->shownUrl())) {
        Log::warningLine("a page tried to open one of the app's own pages in a window; refused");
        return false;
    }
    // With pop-ups blocked a page opens one window per click or key press, never more.
    if (VLSettingsManager::sharedManager().blockPopupWindow() && !intents_.takeWindowGesture()) {
        Log::warningLine("blocked a window that a page opened without a click of its own");
        return false;
    }
    return true;
}

GtkWidget* VLWebViewController::createWebView(WebKitNavigationAction* action) {
    if (!mayOpenWindow(action)) {
        return nullptr;
    }
    // A window a page opens by script for another site (a sign-in with it) stays in the app,
    // in a pop-up window its opener can hear back from; links opening new pages go by the
    // whitelist as ever.
    const std::string target = requestUrl(action);
    if (webkit_navigation_action_get_navigation_type(action) == WEBKIT_NAVIGATION_TYPE_OTHER &&
        PolicyRules::isWebAddress(target) && !allowedByWhitelist(target)) {
        auto popup = forNewWindow(*this);
        popup->isRecentNewTab_ = false;
        GtkWidget* widget = GTK_WIDGET(popup->webview_->webView());
        VLPopupWindow::open(std::move(popup), webview_->toplevelWindow());
        return widget;
    }
    if (!delegate_ || !delegate_->respondsToNewWebViewConstroller()) {
        const std::string url = requestUrl(action);
        if (!url.empty()) {
            webview_->loadRequest(url);
        }
        return nullptr;
    }
    auto controller = forNewWindow(*this);
    if (const std::string url = requestUrl(action); !url.empty()) {
        controller->request_ = url;
    }
    // The download flag moves to the page that follows the link.
    controller->webview_->setNeedToDownload(webview_->needToDownload());
    webview_->setNeedToDownload(false);
    GtkWidget* widget = GTK_WIDGET(controller->webview_->webView());
    delegate_->newWebViewConstroller(std::move(controller));
    return widget;
}

void VLWebViewController::openInNewPage(const std::string& url) {
    if (!delegate_ || !delegate_->respondsToNewWebViewConstroller()) {
        webview_->setNeedToDownload(false);
        return;
    }
    auto controller = forNewWindow(*this);
    controller->webview_->setNeedToDownload(webview_->needToDownload());
    webview_->setNeedToDownload(false);
    controller->webview_->loadRequest(url);
    delegate_->newWebViewConstroller(std::move(controller));
}
