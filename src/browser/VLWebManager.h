#pragma once

#include "foundation/AsyncScope.h"
#include "foundation/NoDestructor.h"

#include <map>
#include <memory>
#include <string>

typedef struct _SoupMessageHeaders SoupMessageHeaders;
typedef struct _WebKitDownload WebKitDownload;

class VLWebView;
class VLDownloadQueue;

// Services every page shares: the user-agent table and the hand-off of downloads to the queue.
class VLWebManager {
  public:
    static VLWebManager& sharedManager();

    const std::map<std::string, std::string>& userAgents() const { return userAgents_; }
    // The agent for a key of the table; the default ("Safari-Mac") for an unknown key.
    const std::string& userAgent(const std::string& key) const;
    const std::string& webkitVersion() const { return webkitVersion_; }

    // Asks where to save (starting in the settings' download folder, the name proposed), then
    // queues the download with the page's cookies and posts "downloadAdd". Cancelling does
    // nothing. `source` (may be null) is the page asking, for the dialog's parent window.
    void downloadFile(const std::string& fileName, const std::string& url, VLWebView* source);

    // The same dialog for a download the engine makes itself; the chosen file becomes its
    // destination and the download an entry of the queue. Cancelling cancels the download.
    void saveEngineDownload(WebKitDownload* download, const std::string& fileName,
                            VLWebView* source);

    VLDownloadQueue& downloadQueue() { return *downloadQueue_; }

    // Keeps a response's cookies for the downloads (the process's shared cookie storage);
    // `pageUrl` is the address of the page the response belongs to.
    void storeCookies(const std::string& responseUrl, const std::string& pageUrl,
                      SoupMessageHeaders* headers);

  private:
    friend class NoDestructor<VLWebManager>;
    VLWebManager();
    void queueDownload(const std::string& path, const std::string& url, const std::string& fileName,
                       const std::string& userAgent);

    std::map<std::string, std::string> userAgents_;
    std::string webkitVersion_;
    std::unique_ptr<VLDownloadQueue> downloadQueue_;
    AsyncScope async_;
};
