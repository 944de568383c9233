#include <gtest/gtest.h>

#include "FileGuards.h"
#include "LocalHttpServer.h"
#include "MainLoopWait.h"
#include "SiteboxProcess.h"
#include "TestHome.h"
#include "foundation/JsonFile.h"

namespace {
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

    Process first({kBuiltSitebox});
    ASSERT_TRUE(waitUntil([&] { return server.requestCount("/home") > 0; }, 30000))
        << "the app goes home";

    // A second launch with a URL hands it over and ends; the first instance opens it.
    EXPECT_EQ(Process({kBuiltSitebox, server.url("/event")}).finish(20000), 0);
    ASSERT_TRUE(waitUntil([&] { return server.requestCount("/event") > 0; }, 30000));

    // Killed politely, it saves what it showed.
    first.terminate();
    ASSERT_EQ(first.finish(20000), 0);
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
