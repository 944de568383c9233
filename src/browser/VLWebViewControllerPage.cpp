// Page commands of the controller: zoom, printing, style injection and closing.
#include <gtk/gtk.h>

#include "browser/UserStyleScript.h"
#include "browser/VLWebViewController.h"
#include "browser/ZoomSteps.h"
#include "foundation/Log.h"
#include "stores/VLWebPageZoomManager.h"

double VLWebViewController::currentZoomFactor() const {
    return webkit_web_view_get_zoom_level(webview_->webView());
}

void VLWebViewController::setCurrentZoomFactor(double factor) {
    webkit_web_view_set_zoom_level(webview_->webView(), factor);
}

bool VLWebViewController::canZoomIn() const {
    return ZoomSteps::canZoomIn(currentZoomFactor());
}

bool VLWebViewController::canZoomOut() const {
    return ZoomSteps::canZoomOut(currentZoomFactor());
}

bool VLWebViewController::canResetZoom() const {
    return ZoomSteps::canReset(currentZoomFactor());
}

namespace {
void storeZoom(double factor, bool pageOpenedWindow) {
    if (pageOpenedWindow) {
        return;  // such a page keeps its zoom to itself
    }
    VLWebPageZoomManager& zoom = VLWebPageZoomManager::sharedManager();
    zoom.setZoomValue(factor);
    zoom.save();
}
}  // namespace

void VLWebViewController::zoomIn() {
    if (!canZoomIn()) {
        return;
    }
    setCurrentZoomFactor(currentZoomFactor() * ZoomSteps::kStep);
    storeZoom(currentZoomFactor(), newWindowPage_);
}

void VLWebViewController::zoomOut() {
    if (!canZoomOut()) {
        return;
    }
    setCurrentZoomFactor(currentZoomFactor() / ZoomSteps::kStep);
    storeZoom(currentZoomFactor(), newWindowPage_);
}

void VLWebViewController::resetZoom() {
    if (!canResetZoom()) {
        return;
    }
    setCurrentZoomFactor(1.0);
    storeZoom(1.0, newWindowPage_);
}

void VLWebViewController::printWebView() {
    WebKitPrintOperation* operation = webkit_print_operation_new(webview_->webView());
    GtkWidget* toplevel = gtk_widget_get_toplevel(GTK_WIDGET(webview_->webView()));
    GtkWindow* parent =
        toplevel && gtk_widget_is_toplevel(toplevel) ? GTK_WINDOW(toplevel) : nullptr;
    webkit_print_operation_run_dialog(operation, parent);
    g_object_unref(operation);
}

void VLWebViewController::webViewDidClose() {
    if (closed_) {
        return;
    }
    closed_ = true;
    refreshTimer_.disconnect();
    g_signal_handlers_disconnect_by_data(webview_->webView(), this);
    delegate_ = nullptr;
    webkit_web_view_load_html(webview_->webView(), "", nullptr);
}

void VLWebViewController::loadCss(const std::optional<std::string>& css) {
    if (!css) {
        return;
    }
    webview_->evaluate(UserStyleScript::wrap(*css),
                       [](std::optional<nlohmann::json>, std::string error) {
                           if (!error.empty()) {
                               Log::warning("error: ", error);
                           }
                       });
}

void VLWebViewController::loadFont(const FontSpec& font) {
    loadCss(UserStyleScript::fontStyle(font));
}
