#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "FileGuards.h"
#include "LocalHttpServer.h"
#include "LogCapture.h"
#include "MainLoopWait.h"
#include "TestHome.h"
#include "downloads/DownloadCookieJar.h"
#include "downloads/VLDownloadQueue.h"
#include "foundation/Files.h"
#include "foundation/GObjectPtr.h"

namespace {
using Status = VLDownloadOperation::Status;

struct RecordingDelegate : VLDownloadOperationDelegate {
    std::vector<double> progress;
    int finished = 0;
    std::function<void(double)> onProgress;
    void downloadProgress(double percent) override {
        progress.push_back(percent);
        if (onProgress) {
            onProgress(percent);
        }
    }
    void downloadFinished() override { ++finished; }
};

// Bytes that differ from piece to piece, so a lost or repeated piece shows.
std::string patternBytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 31 + seed * 7 + i / 977) & 0xff);
    }
    return bytes;
}

class DownloadOperationIT : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = TestHome::path() + "/Downloads";
        ASSERT_TRUE(Files::createDirectories(folder_).empty());
        queue_.setMaxConcurrentOperationCount(3);
    }

    std::shared_ptr<VLDownloadOperation> download(const std::string& serverPath,
                                                  const std::string& name) {
        auto operation = std::make_shared<VLDownloadOperation>();
        operation->setPath(folder_ + "/" + name);
        operation->setUrl(server_.url(serverPath));
        operation->setFileName(name);
        operation->setFinishedHandler([this] { ++finishedCount_; });
        return operation;
    }

    // `path` answers with what the test feeds into `body`, chunked unless a length is given.
    void serveFed(const std::string& path, FedBody& body,
                  std::optional<int64_t> length = std::nullopt, unsigned status = 200) {
        server_.handle(path, [&body, length, status](const LocalHttpServer::Request&) {
            return LocalHttpServer::Response{
                status, "application/octet-stream", {}, "", body.producer(), length};
        });
    }

    static bool waitFinished(const std::shared_ptr<VLDownloadOperation>& operation) {
        return waitUntil([&] {
            return operation->downloadStatus() == Status::Completed && operation->isFinished();
        });
    }

    LocalHttpServer server_;
    VLDownloadQueue queue_;  // after the server: goes first
    std::string folder_;
    int finishedCount_ = 0;
};
}  // namespace

TEST_F(DownloadOperationIT, KnownLengthFileAppearsWholeBeforeCompletionAndIsWrittenOnce) {
    const std::string body = patternBytes(300 * 1024, 1);
    FedBody fed(server_);
    serveFed("/known.bin", fed, body.size());
    for (size_t offset = 0; offset < body.size(); offset += 100 * 1024) {
        fed.push(body.substr(offset, 100 * 1024));
    }
    fed.end();
    auto operation = download("/known.bin", "known.bin");
    const std::string path = operation->path();
    auto delegate = std::make_shared<RecordingDelegate>();
    bool wholeAt100 = false;
    Status statusAt100 = Status::Suspended;
    delegate->onProgress = [&](double percent) {
        if (percent == 100) {
            wholeAt100 = readFileBytes(path) == body;
            statusAt100 = operation->downloadStatus();
            // A second write at completion would undo this.
            writeFileBytes(path, "marker");
        } else {
            EXPECT_FALSE(Files::exists(path)) << "no partial file at " << percent << "%";
        }
    };
    operation->setDelegate(delegate);
    queue_.addDownloadOperation(operation);
    ASSERT_TRUE(waitFinished(operation));

    EXPECT_TRUE(wholeAt100);
    EXPECT_EQ(statusAt100, Status::Running) << "the file was there before the transfer ended";
    EXPECT_EQ(readFileBytes(path), "marker") << "the file was written twice";
    EXPECT_EQ(countFilesIn(folder_), 1u) << "no temporary file left";
    EXPECT_EQ(operation->expectedLength(), static_cast<int64_t>(body.size()));
    EXPECT_FALSE(operation->isCanceled() || operation->isFailed());
    for (size_t i = 1; i < delegate->progress.size(); ++i) {
        EXPECT_GT(delegate->progress[i], delegate->progress[i - 1]);
    }
    EXPECT_EQ(delegate->finished, 1);
    EXPECT_EQ(finishedCount_, 1);
}

TEST_F(DownloadOperationIT, UnknownLengthReportsNegativeProgressAndAppearsOnlyAtTheEnd) {
    FedBody body(server_);
    serveFed("/stream", body);
    auto operation = download("/stream", "stream.txt");
    auto delegate = std::make_shared<RecordingDelegate>();
    operation->setDelegate(delegate);
    queue_.addDownloadOperation(operation);

    body.push("first piece;");
    ASSERT_TRUE(waitUntil([&] { return operation->downloaded() == 12; }));
    EXPECT_FALSE(Files::exists(operation->path())) << "a partial file is never visible";
    EXPECT_EQ(countFilesIn(folder_), 1u) << "the body goes to a temporary file";
    EXPECT_LT(operation->getProgress(), 0);
    EXPECT_EQ(operation->expectedLength(), std::nullopt);
    EXPECT_EQ(operation->downloadStatus(), Status::Running);
    EXPECT_FALSE(operation->isFinished()) << "the worker waits for the transfer";

    body.push("second piece");
    body.end();
    ASSERT_TRUE(waitFinished(operation));
    EXPECT_EQ(readFileBytes(operation->path()), "first piece;second piece");
    EXPECT_EQ(countFilesIn(folder_), 1u);
    ASSERT_EQ(delegate->progress.size(), 2u);
    EXPECT_DOUBLE_EQ(delegate->progress[0], -1200);
    EXPECT_DOUBLE_EQ(delegate->progress[1], -2400);
    EXPECT_EQ(delegate->finished, 1);
}

TEST_F(DownloadOperationIT, CancelledDownloadLeavesNoFileAndKeepsWhatWasThere) {
    LogCapture log;
    FedBody body(server_);
    serveFed("/slow", body, 10'000'000);
    auto operation = download("/slow?token=s3cret", "slow.bin");
    writeFileBytes(operation->path(), "saved before");
    auto delegate = std::make_shared<RecordingDelegate>();
    operation->setDelegate(delegate);
    queue_.addDownloadOperation(operation);
    body.push(std::string(400'000, 'x'));
    ASSERT_TRUE(waitUntil([&] { return operation->downloaded() == 400'000; }));
    EXPECT_DOUBLE_EQ(operation->getProgress(), 4);

    operation->cancelDownload();
    EXPECT_TRUE(operation->isCanceled());
    EXPECT_FALSE(operation->isFailed()) << "a cancelled download has not failed";
    ASSERT_TRUE(waitFinished(operation));
    EXPECT_EQ(readFileBytes(operation->path()), "saved before");
    EXPECT_EQ(countFilesIn(folder_), 1u) << "the temporary file is removed";
    ASSERT_FALSE(delegate->progress.empty());
    EXPECT_DOUBLE_EQ(delegate->progress.back(), 4);
    EXPECT_EQ(delegate->finished, 1);
    EXPECT_TRUE(log.contains("download of " + server_.url("/slow") + " failed"));
    EXPECT_FALSE(log.contains("s3cret")) << "no query string in the log";
    // The held response finds the connection closed once it writes again.
    for (int i = 0; i < 4; ++i) {
        body.push(std::string(1024 * 1024, 'y'));
    }
    ASSERT_TRUE(waitUntil([&] { return server_.openResponses() == 0; }));
    EXPECT_EQ(server_.brokenResponses(), 1u) << "the connection was dropped";

    // Cancelling again, or after the end, changes nothing.
    operation->cancelDownload();
    EXPECT_EQ(finishedCount_, 1);
}

TEST_F(DownloadOperationIT, DestroyingTheQueueStopsItsDownloadsWithoutWaitingForThem) {
    FedBody body(server_);
    serveFed("/held", body);
    auto running = download("/held", "running.bin");
    auto waiting = download("/held", "waiting.bin");
    {
        VLDownloadQueue queue;
        queue.setMaxConcurrentOperationCount(1);
        queue.addDownloadOperation(running);
        queue.addDownloadOperation(waiting);
        body.push("some bytes");
        ASSERT_TRUE(waitUntil([&] { return running->downloaded() > 0; }));
        // Leaving the scope must not wait for the main loop, which this thread is running.
    }
    EXPECT_TRUE(running->isCanceled());
    EXPECT_TRUE(waiting->isCanceled());
    EXPECT_TRUE(running->isFinished());
    ASSERT_TRUE(waitUntil([&] {
        return running->downloadStatus() == Status::Completed &&
               waiting->downloadStatus() == Status::Completed;
    }));
    EXPECT_EQ(countFilesIn(folder_), 0u) << "no temporary file is left behind";
    EXPECT_EQ(server_.requestCount("/held"), 1u);
    EXPECT_EQ(finishedCount_, 2);
}

TEST_F(DownloadOperationIT, FiveQueuedTransfersNeverRunMoreThanThreeAtOnce) {
    std::vector<std::unique_ptr<FedBody>> bodies;
    std::vector<std::shared_ptr<VLDownloadOperation>> operations;
    for (int i = 0; i < 6; ++i) {
        const std::string path = "/slow" + std::to_string(i);
        bodies.push_back(std::make_unique<FedBody>(server_));
        serveFed(path, *bodies.back());
        operations.push_back(download(path, "file" + std::to_string(i)));
        queue_.addDownloadOperation(operations.back());
    }
    // The last one is cancelled while it waits: it never reaches the server.
    operations[5]->cancelDownload();
    EXPECT_EQ(operations[5]->downloadStatus(), Status::Completed);

    ASSERT_TRUE(waitUntil([&] { return server_.requests().size() == 3; }));
    std::set<std::string> first;
    for (const auto& request : server_.requests()) {
        first.insert(request.path);
    }
    EXPECT_EQ(first, (std::set<std::string>{"/slow0", "/slow1", "/slow2"}));
    EXPECT_EQ(operations[3]->downloadStatus(), Status::Suspended);
    EXPECT_DOUBLE_EQ(operations[3]->getProgress(), 0);

    // Each finished transfer frees one slot.
    for (int i = 0; i < 5; ++i) {
        bodies[i]->push("body " + std::to_string(i));
        bodies[i]->end();
        ASSERT_TRUE(waitFinished(operations[i]));
        EXPECT_EQ(readFileBytes(operations[i]->path()), "body " + std::to_string(i));
        if (i < 2) {
            ASSERT_TRUE(waitUntil([&] { return server_.requests().size() == 4u + i; }));
            EXPECT_EQ(server_.requests().back().path, "/slow" + std::to_string(3 + i));
        }
    }
    EXPECT_EQ(server_.peakOpenResponses(), 3u);
    EXPECT_EQ(server_.requests().size(), 5u);
    EXPECT_TRUE(operations[5]->isCanceled());
    EXPECT_FALSE(Files::exists(operations[5]->path()));
    EXPECT_EQ(finishedCount_, 6);
}

TEST_F(DownloadOperationIT, RequestTakesPrecedenceCarriesTheJarsCookiesAndMalformedIsRefused) {
    LogCapture log;
    server_.serve("/from-url", "url body");
    server_.handle("/from-request", [](const LocalHttpServer::Request&) {
        return LocalHttpServer::Response{
            200, "text/plain", {{"Set-Cookie", "fromdownload=3; Path=/"}}, "request body", {}, {}};
    });
    // As the web engine's cookies are copied in, and a page response's cookies stored.
    SoupCookie* engineCookie = soup_cookie_new("session", "abc", "127.0.0.1", "/", -1);
    DownloadCookieJar::add(engineCookie);
    soup_cookie_free(engineCookie);
    DownloadCookieJar::storeCookies(server_.url("/page"), {"fromresponse=1; Path=/"});
    auto operation = download("/from-url", "chosen.txt");
    operation->setRequest(
        DownloadRequest{server_.url("/from-request"), "GET", {{"X-Sitebox", "yes"}}});
    queue_.addDownloadOperation(operation);
    ASSERT_TRUE(waitFinished(operation));
    EXPECT_EQ(readFileBytes(operation->path()), "request body");
    EXPECT_EQ(server_.requestCount("/from-url"), 0u);
    ASSERT_EQ(server_.requestCount("/from-request"), 1u);
    EXPECT_EQ(server_.requests()[0].header("x-sitebox"), "yes");
    std::string cookies = server_.requests()[0].header("Cookie").value_or("");
    EXPECT_NE(cookies.find("session=abc"), std::string::npos) << cookies;
    EXPECT_NE(cookies.find("fromresponse=1"), std::string::npos) << cookies;
    // The download's own Set-Cookie went into the shared jar.
    GUri* uri =
        g_uri_parse(server_.url("/").c_str(), static_cast<GUriFlags>(SOUP_HTTP_URI_FLAGS), nullptr);
    GCharPtr stored(soup_cookie_jar_get_cookies(DownloadCookieJar::shared(), uri, TRUE));
    g_uri_unref(uri);
    EXPECT_NE(std::string(stored ? stored.get() : "").find("fromdownload=3"), std::string::npos);

    // Refused before anything is sent (each kind of fault is checked in the unit tests).
    const std::vector<DownloadRequest> hostile = {
        {server_.url("/from-url"), "GET", {{"X-Evil", "a\r\nHost: elsewhere"}}},
        {"file:///etc/passwd", "GET", {}},
    };
    std::vector<std::shared_ptr<VLDownloadOperation>> refused;
    for (size_t i = 0; i < hostile.size(); ++i) {
        refused.push_back(download("/from-url", "refused" + std::to_string(i)));
        refused.back()->setRequest(hostile[i]);
        queue_.addDownloadOperation(refused.back());
    }
    for (auto& each : refused) {
        ASSERT_TRUE(waitFinished(each));
        EXPECT_FALSE(Files::exists(each->path()));
        EXPECT_DOUBLE_EQ(each->getProgress(), 0);
        EXPECT_TRUE(each->isFailed());
    }
    EXPECT_EQ(server_.requests().size(), 1u) << "nothing malformed was sent";
    EXPECT_TRUE(log.contains("control characters"));
    EXPECT_TRUE(log.contains("not an http or https URL: \"file:///etc/passwd\""));
}

TEST_F(DownloadOperationIT, HttpErrorFullDiskOrUnwritableFolderEndWithNothingPartial) {
    LogCapture log;
    server_.handle("/missing.pdf", [](const LocalHttpServer::Request&) {
        return LocalHttpServer::Response{404, "text/html", {}, "<html>Not Found</html>", {}, {}};
    });
    server_.handle("/broken", [](const LocalHttpServer::Request&) {  // an endless error page
        return LocalHttpServer::Response{
            500, "text/html", {}, "", [] { return std::optional(std::string(4096, 'e')); }, {}};
    });
    server_.serve("/big.bin", std::string(512 * 1024, 'b'));
    auto missing = download("/missing.pdf", "report.pdf");
    auto broken = download("/broken", "broken.bin");
    auto full = download("/big.bin", "big.bin");
    writeFileBytes(missing->path(), "the old report");
    writeFileBytes(full->path(), "kept");
    queue_.addDownloadOperation(missing);
    queue_.addDownloadOperation(broken);
    ASSERT_TRUE(waitFinished(missing));
    ASSERT_TRUE(waitFinished(broken));
    {
        FileSizeLimit limit(64 * 1024);
        queue_.addDownloadOperation(full);
        ASSERT_TRUE(waitFinished(full));
    }
    EXPECT_EQ(readFileBytes(missing->path()), "the old report");
    EXPECT_FALSE(Files::exists(broken->path()));
    EXPECT_EQ(readFileBytes(full->path()), "kept");
    EXPECT_EQ(countFilesIn(folder_), 2u) << "no temporary file is left";
    EXPECT_FALSE(missing->isCanceled() || broken->isCanceled() || full->isCanceled());
    EXPECT_TRUE(missing->isFailed() && broken->isFailed() && full->isFailed());
    EXPECT_TRUE(log.contains("HTTP 404 Not Found"));
    EXPECT_TRUE(log.contains("HTTP 500"));
    EXPECT_TRUE(log.contains("cannot write " + full->path()));
    EXPECT_EQ(finishedCount_, 3);

    const std::string locked = folder_ + "/locked";
    ASSERT_TRUE(Files::createDirectories(locked).empty());
    UnwritableFolder guard(locked);
    if (!guard.active()) {
        GTEST_SKIP() << "this file system cannot refuse writes";
    }
    auto refused = download("/big.bin", "locked/big.bin");
    queue_.addDownloadOperation(refused);
    ASSERT_TRUE(waitFinished(refused));
    EXPECT_EQ(countFilesIn(locked), 0u);
    EXPECT_TRUE(log.contains("cannot create a temporary file for " + locked + "/big.bin"));
}
