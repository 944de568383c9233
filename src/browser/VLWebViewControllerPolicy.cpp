// Which navigations stay in the app, which leave it, which open new pages, and which responses
// are saved instead of shown.
#include <gdk/gdk.h>
#include <glibmm/main.h>
#include <gtk/gtk.h>

#include "browser/PolicyRules.h"
#include "browser/VLWebManager.h"
#include "browser/VLWebViewController.h"
#include "browser/VLWebViewControllerDelegate.h"
#include "browser/Workspace.h"
#include "foundation/Log.h"
#include "maintenance/AlertDialog.h"
#include "rules/VLWhiteListManager.h"
#include "stores/VLBehaviorManager.h"

namespace {
// Schemes the engine shows itself; every other non-web scheme belongs to another application.
bool engineScheme(const std::string& url) {
    for (const char* scheme : {"about:", "data:", "blob:", "file:", "javascript:", "sitebox:"}) {
        if (url.rfind(scheme, 0) == 0) {
            return true;
        }
    }
    return false;
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

Gtk::Window* windowOf(VLWebView& view) {
    GtkWidget* toplevel = gtk_widget_get_toplevel(GTK_WIDGET(view.webView()));
    if (!toplevel || !gtk_widget_is_toplevel(toplevel)) {
        return nullptr;
    }
    return dynamic_cast<Gtk::Window*>(Glib::wrap(toplevel));
}
}  // namespace

bool VLWebViewController::decideNavigationAction(WebKitPolicyDecision* decision, bool newWindow) {
    WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
        WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
    const std::string url = uri ? uri : "";

    if (!PolicyRules::isWebAddress(url) && !engineScheme(url)) {
        if (auto application = Workspace::shared().applicationForUrl(url)) {
            webkit_policy_decision_ignore(decision);
            Alert alert{"Open " + application->name + "?",
                        "A website wants to open this application.",
                        {"Open", "Cancel"},
                        Alert::Style::Informational};
            AlertDialog::present(alert, windowOf(*webview_), [url, app = *application](int answer) {
                if (answer == 0) {
                    Workspace::shared().openUrlWith(url, app);
                }
            });
            return true;
        }
    }

    if (!newWindow && opensNewPage(action) && delegate_ &&
        delegate_->respondsToNewWebViewConstroller()) {
        webkit_policy_decision_ignore(decision);
        auto controller = std::make_unique<VLWebViewController>(url);
        delegate_->newWebViewConstroller(std::move(controller));
        return true;
    }

    // Subframes and new windows go ahead; the main frame is judged when its response arrives,
    // where the engine says which frame it is.
    webkit_policy_decision_use(decision);
    return true;
}

bool VLWebViewController::decideResponse(WebKitResponsePolicyDecision* decision) {
    WebKitURIResponse* response = webkit_response_policy_decision_get_response(decision);
    WebKitURIRequest* request = webkit_response_policy_decision_get_request(decision);
    const char* responseUri = webkit_uri_response_get_uri(response);
    const std::string responseUrl = responseUri ? responseUri : "";
    const char* requestUri = request ? webkit_uri_request_get_uri(request) : nullptr;
    const std::string requestUrl = requestUri ? requestUri : responseUrl;
    const char* mime = webkit_uri_response_get_mime_type(response);
    const bool mainFrame = webkit_response_policy_decision_is_main_frame_main_resource(decision);

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
               " ", responseUrl);

    if (mainFrame && PolicyRules::isWebAddress(responseUrl)) {
        const std::string judged = PolicyRules::judgedUrl(sourceURL_, responseUrl);
        if (!VLWhiteListManager::sharedManager().isUrlAllow(judged)) {
            webkit_policy_decision_ignore(WEBKIT_POLICY_DECISION(decision));
            handOutRefusedUrl(requestUrl);
            return true;
        }
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
        if (Gtk::Window* window = windowOf(*webview_)) {
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

GtkWidget* VLWebViewController::createWebView(WebKitNavigationAction* action) {
    if (!delegate_ || !delegate_->respondsToNewWebViewConstroller()) {
        WebKitURIRequest* request = webkit_navigation_action_get_request(action);
        if (const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr) {
            webview_->loadRequest(uri);
        }
        return nullptr;
    }
    auto controller = forNewWindow(*this);
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    if (const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr) {
        controller->request_ = uri;
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
