#include "browser/EngineDownloads.h"

#include "browser/PolicyRules.h"
#include "browser/VLWebManager.h"
#include "browser/VLWebView.h"
#include "foundation/Log.h"

void EngineDownloads::install(WebKitWebContext* context) {
    g_signal_connect(context, "download-started", G_CALLBACK(onStarted), nullptr);
}

void EngineDownloads::onStarted(WebKitWebContext*, WebKitDownload* download, gpointer) {
    g_signal_connect(download, "decide-destination", G_CALLBACK(onDecideDestination), nullptr);
}

gboolean EngineDownloads::onDecideDestination(WebKitDownload* download, gchar* suggested,
                                              gpointer) {
    WebKitURIRequest* request = webkit_download_get_request(download);
    const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
    const char* method = request ? webkit_uri_request_get_http_method(request) : nullptr;
    const std::string url = uri ? uri : "";
    VLWebView* view = VLWebView::fromWebView(webkit_download_get_web_view(download));
    std::string name = PolicyRules::safeFileName(suggested ? suggested : "")
                           .value_or(PolicyRules::lastPathComponent(url));
    if (PolicyRules::canFetchAgain(method ? method : "", url)) {
        // The queue fetches it again, with the page's cookies and agent, as every download.
        webkit_download_cancel(download);
        VLWebManager::sharedManager().downloadFile(name, url, view);
        return TRUE;
    }
    Log::line("the engine saves a download only it holds");
    VLWebManager::sharedManager().saveEngineDownload(download, name, view);
    return TRUE;  // the destination follows the save dialog
}
