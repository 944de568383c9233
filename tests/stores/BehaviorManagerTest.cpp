#include <gtest/gtest.h>

#include "LogCapture.h"
#include "StoreTestSupport.h"
#include "stores/VLBehaviorManager.h"

TEST(VLBehaviorManager, NewAppWritesDefaultsAtMigration) {
    Fresh<VLBehaviorManager> behavior;
    EXPECT_FALSE(behavior->closeApplication());
    EXPECT_FALSE(behavior->restoreWindowsAndTabs());
    EXPECT_EQ(behavior->openLinksIn(), 0u);
    EXPECT_EQ(behavior->popOverSize(), (Size{400, 400}));
    EXPECT_EQ(fileJson("behavior.json"), (nlohmann::json{{"version", 1.1},
                                                         {"windowAllSpace", false},
                                                         {"statusBarKey", false},
                                                         {"POPOVER_W_KEY", 400},
                                                         {"POPOVER_H_KEY", 400}}));
}

TEST(VLBehaviorManager, MigrationDropsOldWindowAllSpaceOnly) {
    givenFile("behavior.json",
              R"({"windowAllSpace":true,"restoreWindowsAndTabs":true,"openLinksKey":3,)"
              R"("POPOVER_W_KEY":30,"POPOVER_H_KEY":600})");
    {
        Fresh<VLBehaviorManager> behavior;
        EXPECT_FALSE(behavior->windowAllSpace());
        EXPECT_TRUE(behavior->restoreWindowsAndTabs());
        EXPECT_EQ(behavior->openLinksIn(), 3u);
        EXPECT_EQ(behavior->popOverSize(), (Size{400, 600}));
    }
    nlohmann::json saved = fileJson("behavior.json");
    EXPECT_EQ(saved["version"], 1.1);
    EXPECT_EQ(saved["windowAllSpace"], false);
    EXPECT_EQ(saved["restoreWindowsAndTabs"], true);

    // Current files keep the flag; a version given as text is an old layout.
    givenFile("behavior.json", R"({"version":1.1,"windowAllSpace":true})");
    EXPECT_TRUE(Fresh<VLBehaviorManager>()->windowAllSpace());
    givenFile("behavior.json", R"({"version":"1.1","windowAllSpace":true})");
    EXPECT_FALSE(Fresh<VLBehaviorManager>()->windowAllSpace());
    givenFile("behavior.json", R"({"version":1,"windowAllSpace":true})");
    EXPECT_FALSE(Fresh<VLBehaviorManager>()->windowAllSpace());
}

TEST(VLBehaviorManager, SettersWriteFileKeysAndBackgroundImpliesTabs) {
    {
        Fresh<VLBehaviorManager> behavior;
        behavior->setOpenOtherAppInBackground(false);
        EXPECT_TRUE(behavior->openTabInsteadWindow());
        behavior->setMobileVersion(true);
        behavior->setWarnCloseWindows(true);
        behavior->setStatusBarMode(true);
        behavior->setOpenLinksIn(2);
        EXPECT_TRUE(behavior->save());
    }
    nlohmann::json saved = fileJson("behavior.json");
    EXPECT_EQ(saved["openOtherWindowInBackground"], false);
    EXPECT_FALSE(saved.contains("openTabWindow"));
    EXPECT_FALSE(saved.contains("mobileVersion"));
    EXPECT_EQ(saved["warnWindowsClose"], true);
    EXPECT_EQ(saved["statusBarKey"], true);
    EXPECT_EQ(saved["openLinksKey"], 2);

    Fresh<VLBehaviorManager> reloaded;
    EXPECT_FALSE(reloaded->openTabInsteadWindow());
    EXPECT_FALSE(reloaded->mobileVersion());
    EXPECT_TRUE(reloaded->warnCloseWindows());
    EXPECT_TRUE(reloaded->statusBarMode());
}

TEST(VLBehaviorManager, HostileValuesReadAsDefaults) {
    givenFile("behavior.json", R"({"version":1.1,"closeApplication":[true],"openLinksKey":"two",)"
                               R"("POPOVER_W_KEY":-20,"POPOVER_H_KEY":{"h":1},"mobileVersion":1})");
    LogCapture log;
    Fresh<VLBehaviorManager> behavior;
    EXPECT_FALSE(behavior->closeApplication());
    EXPECT_EQ(behavior->openLinksIn(), 0u);
    EXPECT_EQ(behavior->popOverSize(), (Size{400, 400}));
    EXPECT_TRUE(behavior->mobileVersion());
    EXPECT_TRUE(log.contains("\"closeApplication\" has the wrong type"));
    EXPECT_TRUE(log.contains("\"openLinksKey\" has the wrong type"));
}
