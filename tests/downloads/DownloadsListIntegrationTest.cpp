#include <gtest/gtest.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>
#include <gtkmm/progressbar.h>
#include <gtkmm/window.h>

#include <tuple>

#include "FinalizeWatch.h"
#include "LocalHttpServer.h"
#include "MainLoopWait.h"
#include "TestHome.h"
#include "WidgetLookup.h"
#include "browser/Workspace.h"
#include "downloads/VLDownloadQueue.h"
#include "downloads/VLDownloadViewController.h"
#include "downloads/VLDownloadsButton.h"
#include "foundation/NotificationCenter.h"
#include "foundation/NotificationNames.h"

namespace {
struct RecordingWorkspace : Workspace {
    std::vector<std::string> opened;
    std::optional<Application> applicationForUrl(const std::string&) override {
        return std::nullopt;
    }
    void openUrl(const std::string& url, bool, std::function<void()>) override {
        opened.push_back(url);
    }
    void openUrlWith(const std::string&, const Application&) override {}
};

// The status text, then whether the progress bar, cancel, show and byte count are visible.
using Look = std::tuple<std::string, bool, bool, bool, bool>;

Look lookOf(VLDownloadCell& cell) {
    Gtk::Widget& row = cell.view();
    auto visible = [&](const char* id) { return findWidget(row, id)->get_visible(); };
    auto& status = widgetIn<Gtk::Label>(row, "downloadStatus");
    return Look{status.get_visible() ? std::string(status.get_text()) : "",
                visible("progressIndicator"), visible("cancelDownloadButton"),
                visible("showInFinderButton"), visible("downloadedBytes")};
}
}  // namespace

TEST(DownloadsListIT, RowsShowRunningDoneCancelledAndFailedTransfers) {
    TestHome::installBundleResources();
    auto ownWorkspace = std::make_unique<RecordingWorkspace>();
    RecordingWorkspace& workspace = *ownWorkspace;
    Workspace::setShared(std::move(ownWorkspace));
    LocalHttpServer server;
    VLDownloadQueue queue;
    queue.setMaxConcurrentOperationCount(4);
    server.serve("/done.bin", std::string(64 * 1024, 'd'));
    FedBody running(server), cancelled(server);
    for (auto [path, body] : {std::pair{"/running.bin", &running}, {"/cancel.bin", &cancelled}}) {
        server.handle(path, [body = body](const LocalHttpServer::Request&) {
            return LocalHttpServer::Response{200, "application/octet-stream", {},
                                             "",  body->producer(),           2048};
        });
    }
    running.push(std::string(1024, 'r'));
    cancelled.push(std::string(1024, 'c'));

    Gtk::Window window;
    auto* button = Gtk::manage(new VLDownloadsButton(queue));
    window.add(*button);
    window.show();
    EXPECT_FALSE(button->get_visible()) << "no download yet";
    VLDownloadViewController list(queue);

    const char* names[] = {"done.bin", "running.bin", "cancel.bin", "missing.bin"};
    std::vector<std::shared_ptr<VLDownloadOperation>> operations;
    for (const char* name : names) {
        auto operation = std::make_shared<VLDownloadOperation>();
        operation->setPath(TestHome::path() + "/Downloads/" + name);
        operation->setUrl(server.url(std::string("/") + name));
        if (std::string(name) != "missing.bin") {
            operation->setFileName(std::string(name));
        }
        queue.addDownloadOperation(operation);
        operations.push_back(operation);
    }
    NotificationCenter::defaultCenter().post(notification::downloadAdd);
    ASSERT_EQ(list.numberOfRows(), 4u);
    EXPECT_TRUE(button->get_visible());
    ASSERT_TRUE(waitUntil([&] {
        return operations[0]->isFinished() && operations[3]->isFinished() &&
               operations[1]->downloaded() == 1024 && operations[2]->downloaded() == 1024;
    }));
    EXPECT_TRUE(button->progressBar().get_visible()) << "overall progress while downloads run";
    widgetIn<Gtk::Button>(list.cellAt(2).view(), "cancelDownloadButton").clicked();

    const Look expected[] = {
        {"Downloaded", false, false, true, true},
        {"", true, true, false, true},
        {"Canceled", false, false, false, false},
        {"Failed", false, false, false, false},
    };
    auto rowFreed = watchFinalize(list.cellAt(0).view().gobj());
    for (int reload = 0; reload < 2; ++reload) {
        for (size_t row = 0; row < 4; ++row) {
            EXPECT_EQ(lookOf(list.cellAt(row)), expected[row])
                << names[row] << " reload " << reload;
        }
        list.reloadData();  // the rows made again show the same
    }
    EXPECT_TRUE(*rowFreed) << "the rows a reload replaces are freed";
    EXPECT_EQ(widgetIn<Gtk::Label>(list.cellAt(3).view(), "fileNameField").get_text(),
              server.url("/missing.bin"))
        << "a download without a name is listed under its address";

    // Clicking opens only a finished download's file.
    for (size_t row = 0; row < 4; ++row) {
        list.shouldSelectRow(row);
    }
    EXPECT_EQ(workspace.opened,
              std::vector<std::string>{"file://" + TestHome::path() + "/Downloads/done.bin"});

    running.push(std::string(1024, 'r'));
    running.end();
    ASSERT_TRUE(waitUntil([&] { return std::get<0>(lookOf(list.cellAt(1))) == "Downloaded"; }));
    EXPECT_TRUE(waitUntil([&] { return !button->progressBar().get_visible(); }))
        << "nothing runs any more";
    Workspace::setShared(nullptr);
}
