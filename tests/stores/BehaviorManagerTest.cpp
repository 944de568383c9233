#include <gtest/gtest.h>

#include "LogCapture.h"
#include "StoreTestSupport.h"
#include "stores/VLBehaviorManager.h"

TEST(VLBehaviorManager, NewAppWritesDefaultsAtMigration) {
    EXPECT_FALSE(Fresh<VLBehaviorManager>()->restoreWindowsAndTabs());
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

TEST(VLBehaviorManager, EveryKeySurvivesSaveAndBackgroundImpliesTabs) {
    using B = VLBehaviorManager;
    struct Flag {
        const char* key;
        bool (B::*get)() const;
        void (B::*set)(bool);
    };
    const std::vector<Flag> flags = {
        {"closeApplication", &B::closeApplication, &B::setCloseApplication},
        {"windowAllSpace", &B::windowAllSpace, &B::setWindowAllSpace},
        {"openOtherWindowInBackground", &B::openOtherAppInBackground,
         &B::setOpenOtherAppInBackground},
        {"openDefaultLinkInNewTab", &B::openDefaultLinkInNewTab, &B::setOpenDefaultLinkInNewTab},
        {"autoRefreshTheViewOnLoad", &B::autoRefreshTheViewOnLoad, &B::setAutoRefreshTheViewOnLoad},
        {"restoreWindowsAndTabs", &B::restoreWindowsAndTabs, &B::setRestoreWindowsAndTabs},
        {"warnWindowsClose", &B::warnCloseWindows, &B::setWarnCloseWindows},
        {"statusBarKey", &B::statusBarMode, &B::setStatusBarMode},
    };
    std::vector<bool> defaults;
    {
        Fresh<B> behavior;
        for (const Flag& flag : flags) {
            defaults.push_back((behavior.store.*flag.get)());
            (behavior.store.*flag.set)(!defaults.back());
        }
        EXPECT_TRUE(behavior->openTabInsteadWindow()) << "background implies tabs";
        behavior->setOpenLinksIn(2);
        behavior->setPopOverWidth(500);
        behavior->setPopOverHeight(600);
        behavior->setMobileVersion(true);
        EXPECT_TRUE(behavior->save());
    }
    nlohmann::json saved = fileJson("behavior.json");
    EXPECT_FALSE(saved.contains("openTabWindow"));
    EXPECT_FALSE(saved.contains("mobileVersion")) << "a setting of the run only";
    EXPECT_EQ(saved["openLinksKey"], 2);

    Fresh<B> reloaded;
    for (size_t i = 0; i < flags.size(); ++i) {
        EXPECT_TRUE(saved.contains(flags[i].key)) << flags[i].key;
        EXPECT_EQ((reloaded.store.*flags[i].get)(), !defaults[i]) << flags[i].key;
    }
    EXPECT_EQ(reloaded->openLinksIn(), 2u);
    EXPECT_EQ(reloaded->popOverWidth(), 500u);
    EXPECT_EQ(reloaded->popOverHeight(), 600u);
    EXPECT_FALSE(reloaded->mobileVersion());
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
