#pragma once

#include <webkit2/webkit2.h>

#include "downloads/VLDownloadOperation.h"
#include "foundation/GObjectPtr.h"

// A download that only the engine can make (a blob: or data: address, the answer to a form
// post): the engine writes the file, and this entry of the download queue shows its progress and
// cancels it like every other download.
class EngineDownloadOperation : public VLDownloadOperation {
  public:
    // `download` already has its destination `path`.
    EngineDownloadOperation(WebKitDownload* download, const std::string& path,
                            const std::string& fileName);
    ~EngineDownloadOperation() override;

  protected:
    void startTransfer() override;
    void cancelTransfer() override;

  private:
    static void onReceivedData(WebKitDownload* download, guint64 length, gpointer self);
    static void onFailed(WebKitDownload* download, GError* error, gpointer self);
    static void onFinished(WebKitDownload* download, gpointer self);

    GObjectPtr<WebKitDownload> download_;
};
