#include "downloads/VLDownloadOperation.h"

#include <string_view>

#include "downloads/DownloadCookieJar.h"
#include "downloads/DownloadFile.h"
#include "foundation/Log.h"
#include "foundation/MainThread.h"

namespace {
// Bounded memory whatever the body's size: one piece at a time.
constexpr size_t kPieceSize = 64 * 1024;
// Seconds a transfer may stall before it fails, as the platform's default session allows.
constexpr unsigned kStallTimeout = 60;

// The length the body will have on disk, when the response says it.
int64_t announcedLength(SoupMessage* message) {
    SoupMessageHeaders* headers = soup_message_get_response_headers(message);
    if (soup_message_headers_get_encoding(headers) != SOUP_ENCODING_CONTENT_LENGTH) {
        return -1;
    }
    // A decoded body has another length than the one announced.
    const char* coding = soup_message_headers_get_one(headers, "Content-Encoding");
    if (coding && g_ascii_strcasecmp(coding, "identity") != 0) {
        return -1;
    }
    return soup_message_headers_get_content_length(headers);
}
}  // namespace

VLDownloadOperation::VLDownloadOperation() = default;

VLDownloadOperation::~VLDownloadOperation() = default;

std::optional<int64_t> VLDownloadOperation::expectedLength() const {
    int64_t expected = expected_.load();
    if (expected < 0) {
        return std::nullopt;
    }
    return expected;
}

double VLDownloadOperation::getProgress() const {
    if (!hasTask_.load()) {
        return 0;
    }
    return static_cast<double>(downloaded_.load()) * 100.0 / static_cast<double>(expected_.load());
}

void VLDownloadOperation::main() {
    std::unique_lock lock(lock_);
    if (transferOver_ || isCancelled()) {
        return;
    }
    lock.unlock();
    auto self = std::static_pointer_cast<VLDownloadOperation>(shared_from_this());
    MainThread::post([self] { self->beginOnMainLoop(); });
    lock.lock();
    // The flag makes a signal sent before this wait count as well.
    condition_.wait(lock, [this] { return transferOver_ || isCancelled(); });
}

void VLDownloadOperation::cancelDownload() {
    cancel();
}

void VLDownloadOperation::cancel() {
    Operation::cancel();
    {
        std::lock_guard lock(lock_);
        condition_.notify_all();
    }
    if (MainThread::isMain()) {
        cancelTransfer();
    } else if (auto self = std::static_pointer_cast<VLDownloadOperation>(weak_from_this().lock())) {
        MainThread::post([self] { self->cancelTransfer(); });
    }
}

std::string VLDownloadOperation::describe() const {
    const std::string& url = request_ ? request_->url : url_;
    // A query or fragment may carry a token: the log gets the address without them.
    return url.substr(0, url.find_first_of("?#"));
}

void VLDownloadOperation::beginOnMainLoop() {
    if (ended_) {
        return;  // over before its turn in the queue came
    }
    keepAlive_ = std::static_pointer_cast<VLDownloadOperation>(shared_from_this());
    startTransfer();
}

void VLDownloadOperation::transferBegan(std::optional<int64_t> expected) {
    expected_.store(expected.value_or(-1));
    status_.store(Status::Running);
    hasTask_.store(true);
}

void VLDownloadOperation::transferProgressed(int64_t received) {
    downloaded_.store(received);
    reportProgress();
}

void VLDownloadOperation::transferCompleted() {
    written_ = true;
    finish();
}

void VLDownloadOperation::startTransfer() {
    if (isCancelled()) {
        Log::print("download of ", describe(), " cancelled before it started");
        finish();
        return;
    }
    DownloadRequest request = request_ ? *request_ : DownloadRequest{url_};
    if (std::string problem = request.problem(); !problem.empty()) {
        fail("refused: " + problem);
        return;
    }
    message_ = GObjectPtr<SoupMessage>::adopt(
        soup_message_new(request.method.c_str(), request.url.c_str()));
    if (!message_) {
        fail("refused: not a URL libsoup can fetch");
        return;
    }
    SoupMessageHeaders* headers = soup_message_get_request_headers(message_.get());
    for (const auto& [name, value] : request.headers) {
        soup_message_headers_append(headers, name.c_str(), value.c_str());
    }
    session_ = GObjectPtr<SoupSession>::adopt(soup_session_new());
    soup_session_set_timeout(session_.get(), kStallTimeout);
    soup_session_add_feature(session_.get(), SOUP_SESSION_FEATURE(DownloadCookieJar::shared()));
    cancellable_ = GObjectPtr<GCancellable>::adopt(g_cancellable_new());
    buffer_.resize(kPieceSize);
    status_.store(Status::Running);
    hasTask_.store(true);
    soup_session_send_async(
        session_.get(), message_.get(), G_PRIORITY_DEFAULT, cancellable_.get(),
        [](GObject*, GAsyncResult* result, gpointer self) {
            static_cast<VLDownloadOperation*>(self)->sent(result);
        },
        this);
}

void VLDownloadOperation::cancelTransfer() {
    if (ended_) {
        return;
    }
    if (!cancellable_) {
        // Not started yet: it never will.
        Log::print("download of ", describe(), " cancelled before it started");
        finish();
        return;
    }
    status_.store(Status::Canceling);
    // The pending send or read ends with the cancellation error.
    g_cancellable_cancel(cancellable_.get());
}

void VLDownloadOperation::sent(GAsyncResult* result) {
    GErrorPtr error;
    GInputStream* stream = soup_session_send_finish(session_.get(), result, error.out());
    if (!stream) {
        fail(error.message());
        return;
    }
    stream_ = GObjectPtr<GInputStream>::adopt(stream);
    if (isCancelled()) {
        fail("the download was cancelled");
        return;
    }
    unsigned status = soup_message_get_status(message_.get());
    if (status >= 400) {
        // The server's error page is not the file the user asked for.
        const char* reason = soup_message_get_reason_phrase(message_.get());
        fail("HTTP " + std::to_string(status) +
             (reason && *reason ? " " + std::string(reason) : ""));
        return;
    }
    expected_.store(announcedLength(message_.get()));
    file_ = std::make_unique<DownloadFile>(path_);
    if (std::string problem = file_->open(); !problem.empty()) {
        fail(problem);
        return;
    }
    readNext();
}

void VLDownloadOperation::readNext() {
    g_input_stream_read_async(
        stream_.get(), buffer_.data(), buffer_.size(), G_PRIORITY_DEFAULT, cancellable_.get(),
        [](GObject*, GAsyncResult* result, gpointer self) {
            static_cast<VLDownloadOperation*>(self)->didRead(result);
        },
        this);
}

void VLDownloadOperation::didRead(GAsyncResult* result) {
    GErrorPtr error;
    gssize count = g_input_stream_read_finish(stream_.get(), result, error.out());
    if (count < 0) {
        fail(error.message());
        return;
    }
    if (count == 0) {
        // The body is complete; a body whose length was not known or not met is written now.
        if (!written_) {
            if (std::string problem = file_->commit(); !problem.empty()) {
                fail(problem);
                return;
            }
            written_ = true;
        }
        finish();
        return;
    }
    if (std::string problem = file_->append(std::string_view(buffer_.data(), count));
        !problem.empty()) {
        fail(problem);
        return;
    }
    downloaded_.fetch_add(count);
    if (!written_ && expected_.load() >= 0 && downloaded_.load() == expected_.load()) {
        // The last byte is in: the file is complete now, before the transfer formally ends.
        signalTransferOver();
        if (std::string problem = file_->commit(); !problem.empty()) {
            fail(problem);
            return;
        }
        written_ = true;
    }
    reportProgress();
    readNext();
}

void VLDownloadOperation::reportProgress() {
    if (status_.load() == Status::Canceling) {
        return;
    }
    if (auto delegate = delegate_.lock()) {
        delegate->downloadProgress(getProgress());
    }
}

void VLDownloadOperation::fail(const std::string& why) {
    if (ended_) {
        return;
    }
    // The cancellation error of a cancelled transfer comes this way too; that is no failure.
    if (!isCancelled()) {
        failed_.store(true);
    }
    Log::warning("download of ", describe(), " failed: ", why);
    // Stops the transfer instead of reading the rest of the body when the stream is closed.
    if (cancellable_) {
        g_cancellable_cancel(cancellable_.get());
    }
    finish();
}

void VLDownloadOperation::finish() {
    if (ended_) {
        return;
    }
    ended_ = true;
    auto self = std::move(keepAlive_);  // this lives until the end of this call
    if (file_) {
        file_->discard();  // nothing after a commit
    }
    status_.store(Status::Completed);
    signalTransferOver();
    // The objects go away once the current libsoup callback has returned.
    MainThread::post([stream = std::move(stream_), message = std::move(message_),
                      session = std::move(session_)] {});
    buffer_.clear();
    buffer_.shrink_to_fit();
    if (auto delegate = delegate_.lock()) {
        delegate->downloadFinished();
    }
    if (auto handler = std::move(finishedHandler_)) {
        handler();
    }
}

void VLDownloadOperation::signalTransferOver() {
    std::lock_guard lock(lock_);
    transferOver_ = true;
    condition_.notify_all();
}
