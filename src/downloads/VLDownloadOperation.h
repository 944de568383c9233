#pragma once

#include <libsoup/soup.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "downloads/DownloadRequest.h"
#include "downloads/VLDownloadOperationDelegate.h"
#include "foundation/GObjectPtr.h"
#include "foundation/OperationQueue.h"

class DownloadFile;

// One download: fetches `request` (or else `url`) over HTTP into a file at `path`. Queued on a
// VLDownloadQueue; its worker thread only waits while the transfer runs on the main loop, where
// every libsoup call, progress report and file write happens. The body streams into a temporary
// file beside `path` that is renamed into place once complete. Setters, cancelDownload and the
// delegate belong to the main thread; the status getters may be read from any thread.
class VLDownloadOperation : public Operation {
  public:
    // The transfer's state.
    enum class Status : int { Running = 0, Suspended = 1, Canceling = 2, Completed = 3 };

    VLDownloadOperation();
    ~VLDownloadOperation() override;

    const std::string& path() const { return path_; }
    void setPath(std::string path) { path_ = std::move(path); }
    const std::string& url() const { return url_; }
    void setUrl(std::string url) { url_ = std::move(url); }
    const std::optional<DownloadRequest>& request() const { return request_; }
    void setRequest(std::optional<DownloadRequest> request) { request_ = std::move(request); }
    const std::optional<std::string>& fileName() const { return fileName_; }
    void setFileName(std::optional<std::string> name) { fileName_ = std::move(name); }
    std::weak_ptr<VLDownloadOperationDelegate> delegate() const { return delegate_; }
    void setDelegate(std::weak_ptr<VLDownloadOperationDelegate> delegate) {
        delegate_ = std::move(delegate);
    }
    // Called once on the main thread when the transfer is over, after the delegate.
    void setFinishedHandler(std::function<void()> handler) {
        finishedHandler_ = std::move(handler);
    }

    bool isCanceled() const { return isCancelled(); }
    // Ended with an error (refused, network, HTTP error status, disk) rather than cancelled.
    bool isFailed() const { return failed_.load(); }
    // Main thread: stops the transfer; no file is written unless the whole body was already.
    void cancelDownload();
    // Suspended until the transfer starts.
    Status downloadStatus() const { return status_.load(); }
    int64_t downloaded() const { return downloaded_.load(); }
    // The body's length as announced by the server; absent before the response or when unknown.
    std::optional<int64_t> expectedLength() const;
    // Percent received: received × 100 ÷ expected, a plain quotient (negative while the length
    // is unknown); 0 before the transfer exists.
    double getProgress() const;

    // Worker thread: starts the transfer on the main loop and waits until it is over.
    void main() override;
    // Any thread; also stops the transfer (on the main loop).
    void cancel() override;

  protected:
    // A transfer other than the HTTP one (the web engine's own download) stands in when a
    // subclass overrides these two; both run on the main loop, and it reports through the
    // calls that follow.
    virtual void startTransfer();
    virtual void cancelTransfer();
    void transferBegan(std::optional<int64_t> expected);
    void transferProgressed(int64_t received);
    // The file is in place: the download is complete.
    void transferCompleted();
    void fail(const std::string& why);
    bool transferEnded() const { return ended_; }
    void markCanceling() { status_.store(Status::Canceling); }

  private:
    std::string describe() const;
    void beginOnMainLoop();
    void sent(GAsyncResult* result);
    void readNext();
    void didRead(GAsyncResult* result);
    void finish();
    void signalTransferOver();
    void reportProgress();

    std::string path_;
    std::string url_;
    std::optional<DownloadRequest> request_;
    std::optional<std::string> fileName_;
    std::weak_ptr<VLDownloadOperationDelegate> delegate_;
    std::function<void()> finishedHandler_;

    std::atomic<Status> status_{Status::Suspended};
    std::atomic<int64_t> downloaded_{0};
    std::atomic<int64_t> expected_{-1};
    std::atomic<bool> hasTask_{false};
    std::atomic<bool> failed_{false};

    // The end-of-transfer signal from the main loop to the worker.
    std::mutex lock_;
    std::condition_variable condition_;
    bool transferOver_ = false;

    // Main thread only.
    std::shared_ptr<VLDownloadOperation> keepAlive_;
    GObjectPtr<SoupSession> session_;
    GObjectPtr<SoupMessage> message_;
    GObjectPtr<GCancellable> cancellable_;
    GObjectPtr<GInputStream> stream_;
    std::unique_ptr<DownloadFile> file_;
    std::vector<char> buffer_;
    bool ended_ = false;
    bool written_ = false;
};
