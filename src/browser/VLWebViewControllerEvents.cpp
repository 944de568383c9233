// How the page controller follows its web view: navigation events, title, loading state,
// progress and favicon.
#include <gdk/gdk.h>

#include <utility>

#include "browser/ErrorPage.h"
#include "browser/HistoryDate.h"
#include "browser/UserStyleScript.h"
#include "browser/VLTabItem.h"
#include "browser/VLWebViewController.h"
#include "browser/VLWebViewControllerDelegate.h"
#include "browser/ZoomSteps.h"
#include "foundation/Log.h"
#include "foundation/NotificationCenter.h"
#include "foundation/NotificationNames.h"
#include "foundation/StartupTimeline.h"
#include "stores/VLHistoryManager.h"
#include "stores/VLSettingsManager.h"
#include "stores/VLWebPageZoomManager.h"

static_assert(ZoomSteps::kMinimum == VLWebPageZoomManager::kMinimumZoom &&
                  ZoomSteps::kMaximum == VLWebPageZoomManager::kMaximumZoom,
              "the stored zoom is clamped to the zoom steps' limits");

void VLWebViewController::connectSignals() {
    WebKitWebView* view = webview_->webView();
    g_object_set_data(G_OBJECT(view), kControllerKey, this);
    g_signal_connect(view, "load-changed", G_CALLBACK(loadChanged), this);
    g_signal_connect(view, "load-failed", G_CALLBACK(loadFailed), this);
    // Engines since 2.46 block or upgrade mixed content and no longer send this; older ones do.
    g_signal_connect(view, "insecure-content-detected", G_CALLBACK(insecureContentDetected), this);
    g_signal_connect(view, "notify::estimated-load-progress", G_CALLBACK(progressChanged), this);
    g_signal_connect(view, "notify::title", G_CALLBACK(titleChanged), this);
    g_signal_connect(view, "notify::is-loading", G_CALLBACK(loadingChanged), this);
    g_signal_connect(view, "notify::favicon", G_CALLBACK(faviconChanged), this);
    g_signal_connect(view, "notify::uri", G_CALLBACK(uriChanged), this);
    g_signal_connect(view, "decide-policy", G_CALLBACK(decidePolicy), this);
    g_signal_connect(view, "create", G_CALLBACK(createRequested), this);
    g_signal_connect(view, "close", G_CALLBACK(closeRequested), this);
    g_signal_connect(view, "script-dialog", G_CALLBACK(scriptDialog), this);
    g_signal_connect(view, "authenticate", G_CALLBACK(authenticate), this);
    g_signal_connect(view, "run-file-chooser", G_CALLBACK(runFileChooser), this);
    g_signal_connect(view, "permission-request", G_CALLBACK(permissionRequest), this);
    g_signal_connect(view, "load-failed-with-tls-errors", G_CALLBACK(tlsErrors), this);
    webview_->setOpenInNewPage([this](const std::string& url) { openInNewPage(url); });
}

void VLWebViewController::loadChanged(WebKitWebView*, WebKitLoadEvent event,
                                      VLWebViewController* self) {
    self->onLoadChanged(event);
}

gboolean VLWebViewController::loadFailed(WebKitWebView*, WebKitLoadEvent, gchar* failingUri,
                                         GError* error, VLWebViewController* self) {
    return self->onLoadFailed(failingUri ? failingUri : "", error);
}

void VLWebViewController::insecureContentDetected(WebKitWebView*, int, VLWebViewController* self) {
    self->onInsecureContent();
}

void VLWebViewController::progressChanged(WebKitWebView* view, GParamSpec*,
                                          VLWebViewController* self) {
    self->progress_.setValue(webkit_web_view_get_estimated_load_progress(view));
}

void VLWebViewController::titleChanged(WebKitWebView*, GParamSpec*, VLWebViewController* self) {
    self->onTitleChanged();
}

void VLWebViewController::loadingChanged(WebKitWebView*, GParamSpec*, VLWebViewController* self) {
    self->onLoadingChanged();
}

void VLWebViewController::uriChanged(WebKitWebView* view, GParamSpec*, VLWebViewController* self) {
    // Without a load, a new address is a navigation within the page (a single-page site's sign-in
    // moving on): the login typed there may be offered for saving.
    if (!webkit_web_view_is_loading(view)) {
        VLWebView::leavingPage(*self->webview_);
    }
}

void VLWebViewController::faviconChanged(WebKitWebView*, GParamSpec*, VLWebViewController* self) {
    self->onFaviconChanged();
}

gboolean VLWebViewController::decidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                           WebKitPolicyDecisionType type,
                                           VLWebViewController* self) {
    switch (type) {
        case WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION:
            return self->decideNavigationAction(decision, false);
        case WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION:
            return self->decideNavigationAction(decision, true);
        case WEBKIT_POLICY_DECISION_TYPE_RESPONSE:
            return self->decideResponse(WEBKIT_RESPONSE_POLICY_DECISION(decision));
        default:
            return FALSE;
    }
}

GtkWidget* VLWebViewController::createRequested(WebKitWebView*, WebKitNavigationAction* action,
                                                VLWebViewController* self) {
    return self->createWebView(action);
}

void VLWebViewController::closeRequested(WebKitWebView*, VLWebViewController* self) {
    self->pageRequestedClose();
}

void VLWebViewController::onLoadChanged(WebKitLoadEvent event) {
    switch (event) {
        case WEBKIT_LOAD_STARTED: {
            StartupTimeline::mark("load started");
            // The page being left may hold a login typed into it.
            VLWebView::leavingPage(*webview_);
            historyPending_.reset();
            insecureContent_ = false;
            sourceURL_ = webview_->url();
            showingErrorPage_ = errorPageUrl_ && *errorPageUrl_ == webview_->url();
            if (!showingErrorPage_) {
                errorPageUrl_.reset();
            }
            if (VLSettingsManager::sharedManager().hideProgressBar()) {
                progress_.hide();
            } else {
                progress_.show();
            }
            if (delegate_) {
                delegate_->didBeignLoadUrl(*this, webview_->url());
            }
            break;
        }
        case WEBKIT_LOAD_COMMITTED: {
            StartupTimeline::mark("load committed");
            if (!showingErrorPage_) {
                httpFallback_.reset();
            }
            restartRefreshTimer();
            loadUserScripts();
            if (auto font = VLSettingsManager::sharedManager().standardFont()) {
                loadFont(*font);
            }
            if (newWindowPage_) {
                break;  // a page-opened window keeps its own zoom
            }
            setCurrentZoomFactor(VLWebPageZoomManager::sharedManager().zoomValue().value_or(1.0));
            break;
        }
        case WEBKIT_LOAD_FINISHED: {
            StartupTimeline::mark("load finished");
            sourceURL_.reset();
            progress_.hide();
            updateTabInfo();
            const std::string url = webview_->url();
            // The engine may report the title just after the load: the entry waits for it. An
            // error page or one of the app's own pages is no page of the site the user visited.
            if (!showingErrorPage_ && url.rfind(VLWebView::kAppScheme, 0) != 0) {
                historyPending_ = url;
            }
            recordFinishedPage();
            if (delegate_) {
                delegate_->didEndLoadUrl(*this, url);
            }
            NotificationCenter::defaultCenter().post(notification::pageLoadFinished);
            break;
        }
        default:
            break;
    }
}

bool VLWebViewController::onLoadFailed(const std::string& failingUrl, const GError* error) {
    sourceURL_.reset();
    progress_.hide();
    // A load that a refused response, a download or the user stopped is no failure: the page
    // that was there stays, and so does its address.
    if (!error ||
        g_error_matches(error, WEBKIT_POLICY_ERROR,
                        WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE) ||
        g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED)) {
        if (delegate_) {
            delegate_->didCancelLoadUrl(*this, webview_->shownUrl());
        }
        return false;
    }
    const bool noTls = error->domain == G_TLS_ERROR;
    if (auto plain = std::exchange(httpFallback_, std::nullopt);
        plain && noTls && failingUrl == "https://" + plain->substr(7)) {
        // A typed address guessed as https whose server speaks plain http.
        Log::warningLine("the typed address has no secure server; trying it over http");
        webview_->loadRequest(*plain);
        return true;
    }
    Log::warning("page load failed (", g_quark_to_string(error->domain), " ", error->code, ")");
    showErrorPage(failingUrl, error);
    return true;
}

void VLWebViewController::showErrorPage(const std::string& failingUrl, const GError* error) {
    const ErrorPage::Kind kind = ErrorPage::kindOf(g_quark_to_string(error->domain), error->code);
    errorPageUrl_ = failingUrl;
    webkit_web_view_load_alternate_html(webview_->webView(),
                                        ErrorPage::html(kind, failingUrl, error->message).c_str(),
                                        failingUrl.c_str(), nullptr);
}

void VLWebViewController::onInsecureContent() {
    insecureContent_ = true;
    if (delegate_) {
        delegate_->didLoadInsecureContent(*this);
    }
}

void VLWebViewController::onTitleChanged() {
    if (item_) {
        item_->setLabel(webview_->title());
    }
    recordFinishedPage();
}

void VLWebViewController::recordFinishedPage() {
    if (!historyPending_) {
        return;
    }
    const std::string title = webview_->title();
    if (!title.empty()) {
        VLHistoryManager::sharedManager().addUrl(*historyPending_, title, HistoryDate::now());
        historyPending_.reset();
    }
    if (item_ && item_->label() != VLTabItem::kNewTabLabel) {
        isRecentNewTab_ = false;
    }
}

void VLWebViewController::onLoadingChanged() {
    if (delegate_) {
        delegate_->didChangeLoadStatus(*this, webkit_web_view_is_loading(webview_->webView()));
    }
    NotificationCenter::defaultCenter().post(notification::updateWindowBackgroundColor);
}

void VLWebViewController::onFaviconChanged() {
    if (!item_) {
        return;
    }
    cairo_surface_t* surface = webkit_web_view_get_favicon(webview_->webView());
    if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) {
        return;  // no icon data: the tab keeps what it shows
    }
    int width = cairo_image_surface_get_width(surface);
    int height = cairo_image_surface_get_height(surface);
    auto icon =
        GObjectPtr<GdkPixbuf>::adopt(gdk_pixbuf_get_from_surface(surface, 0, 0, width, height));
    if (icon) {
        item_->setIcon(icon.get());
    }
}

bool VLWebViewController::hasOnlySecureContent() const {
    if (insecureContent_ || webview_->url().rfind("https://", 0) != 0) {
        return false;
    }
    GTlsCertificate* certificate = nullptr;
    GTlsCertificateFlags errors = G_TLS_CERTIFICATE_NO_FLAGS;
    return webkit_web_view_get_tls_info(webview_->webView(), &certificate, &errors) &&
           errors == G_TLS_CERTIFICATE_NO_FLAGS;
}
