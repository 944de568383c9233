// The rewritten context menu of VLWebView: opening a link means a new tab, and the download
// entries go through the app's own download hand-off.
#include "browser/PolicyRules.h"
#include "browser/VLWebManager.h"
#include "browser/VLWebView.h"
#include "foundation/Log.h"
#include "foundation/NotificationCenter.h"

namespace {
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
}  // namespace

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
    NotificationCenter::defaultCenter().post("Open Link In New Tab", std::any(this),
                                             {{"url", std::any(linkUrl)}});
}

void VLWebView::downloadImage(const std::string& imageUrl) {
    // The image is saved directly: nothing is left for the next page to download.
    needToDownload_ = false;
    if (imageUrl.empty()) {
        Log::line("no image address at the menu's point; nothing to download");
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
