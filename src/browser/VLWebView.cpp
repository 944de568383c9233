#include "browser/VLWebView.h"

#include "browser/VLScriptMessageHandler.h"
#include "browser/VLWebEngine.h"
#include "foundation/Log.h"
#include "foundation/NoDestructor.h"

namespace {
constexpr const char* kSelfKey = "sitebox-vlwebview";

std::function<void(VLWebView&)>& clearLoginDataHook() {
    static NoDestructor<std::function<void(VLWebView&)>> hook;
    return *hook;
}

struct ScriptCall {
    std::weak_ptr<void> alive;
    VLWebView::ScriptResult done;
};

// JavaScript string literal for text placed inside single quotes by the page functions.
std::string singleQuoted(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '\'') {
            out += '\\';
        }
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out;
}
}  // namespace

VLWebView::VLWebView(VLWebView* relatedView) {
    auto settings = GObjectPtr<WebKitSettings>::adopt(webkit_settings_new());
    auto content = GObjectPtr<WebKitUserContentManager>::adopt(webkit_user_content_manager_new());
    GtkWidget* widget;
    if (relatedView) {
        // The opener's preferences carry over; the copy lets this page's user agent differ.
        webkit_settings_set_user_agent(settings.get(),
                                       webkit_settings_get_user_agent(relatedView->settings()));
        widget = GTK_WIDGET(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view",
                                         relatedView->webView(), "settings", settings.get(),
                                         "user-content-manager", content.get(), nullptr));
    } else {
        widget = GTK_WIDGET(g_object_new(
            WEBKIT_TYPE_WEB_VIEW, "web-context", VLWebEngine::shared().context(), "settings",
            settings.get(), "user-content-manager", content.get(), nullptr));
    }
    view_ = GObjectPtr<WebKitWebView>::adopt(WEBKIT_WEB_VIEW(g_object_ref_sink(widget)));
    widget_ = Glib::wrap(widget);
    g_object_set_data(G_OBJECT(widget), kSelfKey, this);
    g_object_set_data(G_OBJECT(content.get()), VLScriptMessageHandler::kWebViewKey, widget);
    VLScriptMessageHandler::sharedHandler().registerWithConfiguration(content.get());
    g_signal_connect(widget, "context-menu", G_CALLBACK(onContextMenu), this);
}

VLWebView::~VLWebView() {
    g_signal_handlers_disconnect_by_data(view_.get(), this);
    g_object_set_data(G_OBJECT(view_.get()), kSelfKey, nullptr);
    // Leave no page running behind a view that may still sit in a container.
    webkit_web_view_stop_loading(view_.get());
    if (GtkWidget* parent = gtk_widget_get_parent(GTK_WIDGET(view_.get()))) {
        gtk_container_remove(GTK_CONTAINER(parent), GTK_WIDGET(view_.get()));
    }
}

VLWebView* VLWebView::fromWebView(WebKitWebView* view) {
    return view ? static_cast<VLWebView*>(g_object_get_data(G_OBJECT(view), kSelfKey)) : nullptr;
}

WebKitSettings* VLWebView::settings() const {
    return webkit_web_view_get_settings(view_.get());
}

WebKitUserContentManager* VLWebView::userContentManager() const {
    return webkit_web_view_get_user_content_manager(view_.get());
}

void VLWebView::setClearLoginDataHook(std::function<void(VLWebView&)> hook) {
    clearLoginDataHook() = std::move(hook);
}

void VLWebView::clearLoginData(VLWebView& view) {
    if (auto& hook = clearLoginDataHook()) {
        hook(view);
    }
}

void VLWebView::loadRequest(const std::string& url) {
    clearLoginData(*this);
    appPageRequest_ =
        url.rfind(kAppScheme, 0) == 0 ? std::optional<std::string>(url) : std::nullopt;
    webkit_web_view_load_uri(view_.get(), url.c_str());
}

bool VLWebView::takeAppPageRequest(const std::string& url) {
    if (appPageRequest_ != url) {
        return false;
    }
    appPageRequest_.reset();
    return true;
}

std::string VLWebView::shownUrl() const {
    WebKitBackForwardListItem* item = webkit_back_forward_list_get_current_item(
        webkit_web_view_get_back_forward_list(view_.get()));
    const char* uri = item ? webkit_back_forward_list_item_get_uri(item) : nullptr;
    return uri ? uri : url();
}

std::string VLWebView::url() const {
    const char* uri = webkit_web_view_get_uri(view_.get());
    return uri ? uri : "";
}

std::string VLWebView::title() const {
    const char* title = webkit_web_view_get_title(view_.get());
    return title ? title : "";
}

void VLWebView::evaluate(const std::string& script, ScriptResult done) {
    auto* call = new ScriptCall{life_.watch(), std::move(done)};  // owned by the callback
    webkit_web_view_evaluate_javascript(
        view_.get(), script.c_str(), static_cast<gssize>(script.size()), nullptr, nullptr, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<ScriptCall> call(static_cast<ScriptCall*>(data));
            GErrorPtr error;
            JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source),
                                                                         result, error.out());
            GObjectPtr<JSCValue> owned = GObjectPtr<JSCValue>::adopt(value);
            if (call->alive.expired() || !call->done) {
                return;
            }
            if (!value) {
                call->done(std::nullopt, error ? error.message() : "script failed");
                return;
            }
            if (jsc_value_is_undefined(value)) {
                call->done(std::nullopt, "");
                return;
            }
            GCharPtr json(jsc_value_to_json(value, 0));
            if (!json) {
                call->done(std::nullopt, "result is not JSON");
                return;
            }
            auto parsed = nlohmann::json::parse(json.get(), nullptr, false);
            if (parsed.is_discarded()) {
                call->done(std::nullopt, "result is not JSON");
                return;
            }
            call->done(std::move(parsed), "");
        },
        call);
}

void VLWebView::highlightAllOccurencesOfString(const std::string& text,
                                               std::function<void(long)> done) {
    evaluate("wkWebview_HighlightAllOccurencesOfString('" + singleQuoted(text) + "')");
    evaluate("wkWebview_SearchResultCount",
             [done = std::move(done)](std::optional<nlohmann::json> value, std::string) {
                 long count = value && value->is_number() ? value->get<long>() : 0;
                 if (done) {
                     done(count);
                 }
             });
}

void VLWebView::scrollTo(long index) {
    evaluate("wkWebview_ScrollTo('" + std::to_string(static_cast<int>(index)) + "')");
}

void VLWebView::removeAllHighlights() {
    evaluate("wkWebview_RemoveAllHighlights()");
}
