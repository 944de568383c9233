#include "browser/VLWebView.h"

#include <gtkmm/window.h>

#include "browser/PolicyRules.h"
#include "browser/VLScriptMessageHandler.h"
#include "browser/VLWebEngine.h"
#include "browser/VLWebManager.h"
#include "foundation/JavaScript.h"
#include "foundation/Log.h"
#include "foundation/NoDestructor.h"
#include "foundation/NotificationCenter.h"
#include "foundation/NotificationNames.h"
#include "foundation/StartupTimeline.h"

namespace {
constexpr const char* kSelfKey = "sitebox-vlwebview";

std::function<void(VLWebView&)>& clearLoginDataHook() {
    static NoDestructor<std::function<void(VLWebView&)>> hook;
    return *hook;
}

std::function<void(VLWebView&)>& leavingPageHook() {
    static NoDestructor<std::function<void(VLWebView&)>> hook;
    return *hook;
}

struct MenuAction {
    std::weak_ptr<void> alive;
    std::function<void()> run;
};

// A menu item whose activation runs `run` while the view still exists.
WebKitContextMenuItem* customItem(const char* name, const char* label, std::weak_ptr<void> alive,
                                  std::function<void()> run) {
    GSimpleAction* action = g_simple_action_new(name, nullptr);
    auto* data = new MenuAction{std::move(alive), std::move(run)};  // freed with the action
    g_signal_connect_data(
        action, "activate", G_CALLBACK(+[](GSimpleAction*, GVariant*, gpointer data) {
            auto* menuAction = static_cast<MenuAction*>(data);
            if (!menuAction->alive.expired()) {
                menuAction->run();
            }
        }),
        data, [](gpointer data, GClosure*) { delete static_cast<MenuAction*>(data); },
        GConnectFlags(0));
    WebKitContextMenuItem* item =
        webkit_context_menu_item_new_from_gaction(G_ACTION(action), label, nullptr);
    g_object_unref(action);  // the item keeps it
    return item;
}

std::string orEmpty(const char* text) {
    return text ? text : "";
}

std::vector<VLWebView*>& liveViews() {
    static NoDestructor<std::vector<VLWebView*>> views;
    return *views;
}
}  // namespace

VLWebView::VLWebView(VLWebView* relatedView) : VLWebView(relatedView, relatedView != nullptr) {}

VLWebView::VLWebView(SharedProcess)
    : VLWebView(liveViews().empty() ? nullptr : liveViews().front(), false) {}

VLWebView::VLWebView(VLWebView* relatedView, bool inheritAgent) {
    auto settings = GObjectPtr<WebKitSettings>::adopt(webkit_settings_new());
    auto content = GObjectPtr<WebKitUserContentManager>::adopt(webkit_user_content_manager_new());
    GtkWidget* widget;
    if (relatedView) {
        if (inheritAgent) {
            // The opener's preferences carry over; the copy lets this page's user agent differ.
            webkit_settings_set_user_agent(settings.get(),
                                           webkit_settings_get_user_agent(relatedView->settings()));
        }
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
    liveViews().push_back(this);
    StartupTimeline::mark("web view created");
}

VLWebView::~VLWebView() {
    std::erase(liveViews(), this);
    g_signal_handlers_disconnect_by_data(view_.get(), this);
    g_object_set_data(G_OBJECT(view_.get()), kSelfKey, nullptr);
    webkit_web_view_stop_loading(view_.get());
    // Destroying, not just unreferencing: the gtkmm wrapper and a container may hold the widget,
    // and a view that lives on keeps its page in the web process, which other pages share.
    gtk_widget_destroy(GTK_WIDGET(view_.get()));
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

void VLWebView::setLeavingPageHook(std::function<void(VLWebView&)> hook) {
    leavingPageHook() = std::move(hook);
}

void VLWebView::leavingPage(VLWebView& view) {
    if (auto& hook = leavingPageHook()) {
        hook(view);
    }
}

void VLWebView::loadRequest(const std::string& url) {
    clearLoginData(*this);
    appPageRequest_ =
        url.rfind(kAppScheme, 0) == 0 ? std::optional<std::string>(url) : std::nullopt;
    webkit_web_view_load_uri(view_.get(), url.c_str());
    StartupTimeline::mark("load requested");
    VLWebEngine::shared().openPageIcons();
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
    evaluateIn(nullptr, script, std::move(done));
}

void VLWebView::evaluateInAppWorld(const std::string& script, ScriptResult done) {
    evaluateIn(VLScriptMessageHandler::kAppWorld, script, std::move(done));
}

void VLWebView::evaluateIn(const char* world, const std::string& script, ScriptResult done) {
    auto [callback, data] =
        async_.callback([done = std::move(done)](GObject* source, GAsyncResult* result) {
            GErrorPtr error;
            auto value = GObjectPtr<JSCValue>::adopt(webkit_web_view_evaluate_javascript_finish(
                WEBKIT_WEB_VIEW(source), result, error.out()));
            if (!done) {
                return;
            }
            if (!value) {
                done(std::nullopt, error ? error.message() : "script failed");
                return;
            }
            if (jsc_value_is_undefined(value.get())) {
                done(std::nullopt, "");
                return;
            }
            GCharPtr json(jsc_value_to_json(value.get(), 0));
            auto parsed = json ? nlohmann::json::parse(json.get(), nullptr, false)
                               : nlohmann::json(nlohmann::json::value_t::discarded);
            if (parsed.is_discarded()) {
                done(std::nullopt, "result is not JSON");
                return;
            }
            done(std::move(parsed), "");
        });
    webkit_web_view_evaluate_javascript(view_.get(), script.c_str(),
                                        static_cast<gssize>(script.size()), world, nullptr,
                                        async_.cancellable(), callback, data);
}

void VLWebView::highlightAllOccurencesOfString(const std::string& text,
                                               std::function<void(long)> done) {
    evaluate("wkWebview_HighlightAllOccurencesOfString(" + javaScriptString(text) + ")");
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

// The rewritten context menu: opening a link means a new tab, and the download entries go
// through the app's own download hand-off.
gboolean VLWebView::onContextMenu(WebKitWebView*, WebKitContextMenu* menu, GdkEvent*,
                                  WebKitHitTestResult* hit, gpointer self) {
    static_cast<VLWebView*>(self)->rewriteContextMenu(menu, hit);
    return FALSE;  // show the (rewritten) menu
}

void VLWebView::rewriteContextMenu(WebKitContextMenu* menu, WebKitHitTestResult* hit) {
    const std::string link = orEmpty(webkit_hit_test_result_get_link_uri(hit));
    const std::optional<std::string> image =
        webkit_hit_test_result_context_is_image(hit)
            ? std::optional<std::string>(orEmpty(webkit_hit_test_result_get_image_uri(hit)))
            : std::nullopt;
    GList* items = g_list_copy(webkit_context_menu_get_items(menu));
    for (GList* node = items; node; node = node->next) {
        auto* item = WEBKIT_CONTEXT_MENU_ITEM(node->data);
        WebKitContextMenuItem* replacement = nullptr;
        switch (webkit_context_menu_item_get_stock_action(item)) {
            case WEBKIT_CONTEXT_MENU_ACTION_OPEN_LINK:
                replacement = customItem("open-link-in-new-tab", "Open Link in New Tab",
                                         life_.watch(), [this, link] { openLinkInNewtab(link); });
                break;
            case WEBKIT_CONTEXT_MENU_ACTION_DOWNLOAD_IMAGE_TO_DISK:
                replacement = customItem("download-image", "Download Image", life_.watch(),
                                         [this, image] { downloadImage(image.value_or("")); });
                break;
            case WEBKIT_CONTEXT_MENU_ACTION_DOWNLOAD_LINK_TO_DISK:
                replacement =
                    customItem("download-linked-file", "Download Linked File", life_.watch(),
                               [this, link, image] { download(link, image); });
                break;
            default:
                break;
        }
        if (replacement) {
            int position = g_list_index(webkit_context_menu_get_items(menu), item);
            webkit_context_menu_remove(menu, item);
            webkit_context_menu_insert(menu, replacement, position);
        }
    }
    g_list_free(items);
}

void VLWebView::openLinkInNewtab(const std::string& linkUrl) {
    if (linkUrl.empty()) {
        return;
    }
    // The page goes along, so only its own window opens the tab.
    NotificationCenter::defaultCenter().post(notification::openLinkInNewTab, std::any(this),
                                             {{notification::urlKey, std::any(linkUrl)}});
}

void VLWebView::downloadImage(const std::string& imageUrl) {
    // The image is saved directly: nothing is left for the next page to download.
    needToDownload_ = false;
    if (imageUrl.empty()) {
        Log::warningLine("no image address at the menu's point; nothing to download");
        return;
    }
    VLWebManager::sharedManager().downloadFile(PolicyRules::lastPathComponent(imageUrl), imageUrl,
                                               this);
}

void VLWebView::download(const std::string& linkUrl, const std::optional<std::string>& imageUrl) {
    needToDownload_ = true;
    if (imageUrl) {
        downloadImage(*imageUrl);
        return;
    }
    // The link opens in a new page that inherits the flag; its response is saved.
    if (openInNewPage_ && !linkUrl.empty()) {
        openInNewPage_(linkUrl);
    } else {
        needToDownload_ = false;
    }
}

Gtk::Window* VLWebView::toplevelWindow() const {
    Gtk::Widget* toplevel = widget_->get_toplevel();
    return toplevel && toplevel->get_is_toplevel() ? dynamic_cast<Gtk::Window*>(toplevel) : nullptr;
}
