#include <gio/gio.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "FileGuards.h"
#include "LocalHttpServer.h"
#include "MainLoopWait.h"
#include "TestHome.h"
#include "foundation/GObjectPtr.h"
#include "foundation/JsonFile.h"

namespace {
// The built Sitebox bundle started as its own process, in this test's HOME.
class RunningSitebox {
  public:
    explicit RunningSitebox(const std::vector<std::string>& arguments = {}) {
        std::vector<const char*> argv = {executable().c_str()};
        for (const auto& argument : arguments) {
            argv.push_back(argument.c_str());
        }
        argv.push_back(nullptr);
        auto launcher = GObjectPtr<GSubprocessLauncher>::adopt(
            g_subprocess_launcher_new(G_SUBPROCESS_FLAGS_NONE));
        g_subprocess_launcher_setenv(launcher.get(), "WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS",
                                     "1", TRUE);
        GErrorPtr error;
        process_ = GObjectPtr<GSubprocess>::adopt(
            g_subprocess_launcher_spawnv(launcher.get(), argv.data(), error.out()));
        EXPECT_TRUE(process_) << error.message();
        if (process_) {
            g_subprocess_wait_check_async(
                process_.get(), nullptr,
                [](GObject*, GAsyncResult*, gpointer done) { *static_cast<bool*>(done) = true; },
                &exited_);
        }
    }
    ~RunningSitebox() {
        if (process_ && !exited_) {
            g_subprocess_force_exit(process_.get());
            waitUntil([this] { return exited_; }, 10000);
        }
    }

    static const std::string& executable() {
        static const std::string path = std::string(SITEBOX_BUNDLE_DIR) + "/Contents/MacOS/Sitebox";
        return path;
    }
    void terminate() { g_subprocess_send_signal(process_.get(), SIGTERM); }
    bool waitForExit(int timeoutMs = 20000) {
        return waitUntil([this] { return exited_; }, timeoutMs);
    }
    int exitStatus() const { return g_subprocess_get_exit_status(process_.get()); }

  private:
    GObjectPtr<GSubprocess> process_;
    bool exited_ = false;
};

// The settings folder the bundle uses: it carries no app identifier.
std::string settingsFolder() {
    return TestHome::dataHome() + "/Corva/(null)/";
}

nlohmann::json readJson(const std::string& file) {
    return JsonFile::parse(readFileBytes(settingsFolder() + file), nullptr);
}
}  // namespace

TEST(SiteboxProcessIT, SavesOnSigtermAndHandsUrlsToTheRunningInstance) {
    LocalHttpServer server;
    server.serve("/home", "<html><head><title>Home</title></head><body>home</body></html>",
                 "text/html");
    server.serve("/event", "<html><head><title>Event</title></head><body>event</body></html>",
                 "text/html");
    writeFileBytes(settingsFolder() + "settings.json",
                   "{\"main_url\":\"" + server.url("/home") + "\"}");
    writeFileBytes(settingsFolder() + "behavior.json",
                   "{\"version\":1.1,\"restoreWindowsAndTabs\":true}");

    RunningSitebox first;
    ASSERT_TRUE(waitUntil([&] { return server.requestCount("/home") > 0; }, 30000))
        << "the app goes home";

    // A second launch with a URL hands it over and ends; the first instance opens it.
    RunningSitebox second({server.url("/event")});
    EXPECT_TRUE(second.waitForExit());
    EXPECT_EQ(second.exitStatus(), 0);
    ASSERT_TRUE(waitUntil([&] { return server.requestCount("/event") > 0; }, 30000));

    // Killed politely, it saves what it showed.
    first.terminate();
    ASSERT_TRUE(first.waitForExit());
    nlohmann::json restore = readJson("restore.json");
    ASSERT_TRUE(restore.is_object());
    EXPECT_EQ(restore["version"], 1.1);
    ASSERT_TRUE(restore.contains("window0"));
    ASSERT_TRUE(restore.contains("window1")) << "the event opened a second window";
    EXPECT_EQ(restore["window0"]["url"], (nlohmann::json{server.url("/home")}));
    EXPECT_EQ(restore["window1"]["url"], (nlohmann::json{server.url("/event")}));
    EXPECT_TRUE(readJson("history.json").is_object());
    EXPECT_TRUE(readJson("settings.json").is_object());
}
