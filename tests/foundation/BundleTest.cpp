#include <gtest/gtest.h>

#include "FileGuards.h"
#include "LogCapture.h"
#include "TestHome.h"
#include "foundation/Bundle.h"

TEST(Bundle, InfoDictionaryAndResources) {
    Bundle& bundle = Bundle::main();
    EXPECT_EQ(bundle.bundlePath(), TestHome::bundlePath());
    EXPECT_EQ(bundle.bundleIdentifier(), "com.KVX.SiteboxTest");
    EXPECT_EQ(bundle.shortVersion(), "1.0.0");
    EXPECT_EQ(bundle.infoString("CFBundleExecutable"), "Sitebox");
    EXPECT_EQ(bundle.infoString("Missing"), std::nullopt);

    writeFileBytes(bundle.resourcePath() + "/rules.json", "[]");
    EXPECT_EQ(bundle.pathForResource("rules", "json"), bundle.resourcePath() + "/rules.json");
    EXPECT_EQ(bundle.pathForResource("rules", "plist"), std::nullopt);

    // A trailing separator names the same bundle.
    Bundle slash(TestHome::bundlePath() + "/");
    EXPECT_EQ(slash.bundlePath(), TestHome::bundlePath());
}

TEST(Bundle, BrokenInfoPlistGivesEmptyDictionary) {
    writeFileBytes(TestHome::bundlePath() + "/Contents/Info.plist", "<plist><dict><key>");
    LogCapture log;
    Bundle bundle(TestHome::bundlePath());
    EXPECT_TRUE(bundle.infoDictionary().empty());
    EXPECT_EQ(bundle.bundleIdentifier(), "com.KVX.Sitebox");
    EXPECT_TRUE(log.contains("cannot read Info.plist"));

    Bundle none(TestHome::path() + "/Nowhere.app");
    EXPECT_TRUE(none.infoDictionary().empty());
}
