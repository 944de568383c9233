#include "browser/EngineDownloadOperation.h"

#include "downloads/DownloadJournal.h"

namespace {
// The engine writes beside the destination and renames at the end.
std::string engineTemporary(const std::string& path) {
    return path + ".wkdownload";
}
}  // namespace

EngineDownloadOperation::EngineDownloadOperation(WebKitDownload* download, const std::string& path,
                                                 const std::string& fileName)
    : download_(GObjectPtr<WebKitDownload>::retain(download)) {
    setPath(path);
    DownloadJournal::add(engineTemporary(path));
    const char* uri = webkit_uri_request_get_uri(webkit_download_get_request(download));
    setUrl(uri ? uri : "");
    setFileName(fileName);
    WebKitURIResponse* response = webkit_download_get_response(download);
    const guint64 length = response ? webkit_uri_response_get_content_length(response) : 0;
    transferBegan(length > 0 ? std::optional<int64_t>(static_cast<int64_t>(length)) : std::nullopt);
    g_signal_connect(download, "received-data", G_CALLBACK(onReceivedData), this);
    g_signal_connect(download, "failed", G_CALLBACK(onFailed), this);
    g_signal_connect(download, "finished", G_CALLBACK(onFinished), this);
}

EngineDownloadOperation::~EngineDownloadOperation() {
    g_signal_handlers_disconnect_by_data(download_.get(), this);
}

void EngineDownloadOperation::startTransfer() {
    // The engine has been at it since the destination was chosen.
}

void EngineDownloadOperation::cancelTransfer() {
    if (transferEnded()) {
        return;
    }
    markCanceling();
    webkit_download_cancel(download_.get());  // ends in "failed", then "finished"
}

void EngineDownloadOperation::onReceivedData(WebKitDownload* download, guint64, gpointer self) {
    static_cast<EngineDownloadOperation*>(self)->transferProgressed(
        static_cast<int64_t>(webkit_download_get_received_data_length(download)));
}

void EngineDownloadOperation::onFailed(WebKitDownload*, GError* error, gpointer self) {
    DownloadJournal::remove(engineTemporary(static_cast<EngineDownloadOperation*>(self)->path()));
    static_cast<EngineDownloadOperation*>(self)->fail(error ? error->message : "failed");
}

void EngineDownloadOperation::onFinished(WebKitDownload*, gpointer self) {
    auto* operation = static_cast<EngineDownloadOperation*>(self);
    DownloadJournal::remove(engineTemporary(operation->path()));
    if (!operation->transferEnded()) {
        operation->transferCompleted();
    }
}
