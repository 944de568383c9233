#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "CorvaTestSupport.h"
#include "LogCapture.h"
#include "app/CorvaDictionary.h"
#include "app/VLCorvaManager.h"
#include "browser/WindowRules.h"

using nlohmann::json;

namespace {
const char* kCreationTool = "CorvaCreationToolSettings";
const char* kEnterprise = "EnterpriseSettings";
const Size kScreen{1920, 1080};
}  // namespace

TEST(VLCorvaManager, NoFilesMeanAPlainBuild) {
    LogCapture log;
    EXPECT_FALSE(VLCorvaManager::corvaCreationToolBuild());
    EXPECT_FALSE(VLCorvaManager::enterpriseBuild());
    EXPECT_EQ(VLCorvaManager::settingDict(), std::nullopt);
    EXPECT_EQ(VLCorvaManager::appName(), "Default");
    EXPECT_EQ(VLCorvaManager::corvaCreationToolWindowSize(kScreen), kScreen);
    EXPECT_TRUE(log.lines().empty()) << "a missing file is an ordinary build";
}

TEST(VLCorvaManager, EachFlagComesFromItsOwnFile) {
    // The enterprise key in the creation-tool file does not count, and the other way round.
    givenPlist(kCreationTool, {{"isEnterpriseApp", true}});
    givenPlist(kEnterprise, {{"isCreatedByCorvaCreationTool", true}});
    EXPECT_FALSE(VLCorvaManager::corvaCreationToolBuild());
    EXPECT_FALSE(VLCorvaManager::enterpriseBuild());

    givenPlist(kCreationTool, {{"isCreatedByCorvaCreationTool", true}});
    EXPECT_TRUE(VLCorvaManager::corvaCreationToolBuild());
    EXPECT_FALSE(VLCorvaManager::enterpriseBuild());

    // Re-read on every call; a number reads as its truth.
    givenPlist(kCreationTool, {{"isCreatedByCorvaCreationTool", false}});
    givenPlist(kEnterprise, {{"isEnterpriseApp", 1}});
    EXPECT_FALSE(VLCorvaManager::corvaCreationToolBuild());
    EXPECT_TRUE(VLCorvaManager::enterpriseBuild());
    givenPlist(kEnterprise, {{"isEnterpriseApp", 0}});
    EXPECT_FALSE(VLCorvaManager::enterpriseBuild());

    // Text is not a boolean here.
    LogCapture log;
    givenPlist(kEnterprise, {{"isEnterpriseApp", "YES"}});
    EXPECT_FALSE(VLCorvaManager::enterpriseBuild());
    EXPECT_TRUE(log.contains("\"isEnterpriseApp\" is not a boolean"));
}

TEST(VLCorvaManager, SettingDictPrefersTheCreationTool) {
    givenPlist(kEnterprise, {{"isEnterpriseApp", true}, {"appName", "Acme"}});
    ASSERT_TRUE(VLCorvaManager::settingDict());
    EXPECT_EQ((*VLCorvaManager::settingDict())["appName"], "Acme");
    EXPECT_EQ(VLCorvaManager::appName(), "Acme");

    // A creation-tool file that is not marked leaves the enterprise dictionary in charge.
    givenPlist(kCreationTool, {{"appName", "Tool"}});
    EXPECT_EQ(VLCorvaManager::appName(), "Acme");

    givenPlist(kCreationTool, {{"isCreatedByCorvaCreationTool", true}, {"appName", "Tool"}});
    EXPECT_EQ((*VLCorvaManager::settingDict())["appName"], "Tool");
    EXPECT_EQ(VLCorvaManager::appName(), "Tool");

    // Without an enterprise file and without the mark, the (absent) enterprise one is chosen.
    givenPlist(kCreationTool, {{"isCreatedByCorvaCreationTool", false}});
    std::filesystem::remove(Bundle::main().resourcePath() + "/EnterpriseSettings.plist");
    EXPECT_EQ(VLCorvaManager::settingDict(), std::nullopt);
    EXPECT_EQ(VLCorvaManager::appName(), "Default");
}

TEST(VLCorvaManager, UnreadableFilesAreLoggedOnceAndIgnored) {
    LogCapture log;
    givenPlistBytes(kEnterprise, "<plist><dict><key>isEnterpriseApp</key><true/>");
    givenPlist(kCreationTool, json::array({"isCreatedByCorvaCreationTool", true}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(VLCorvaManager::enterpriseBuild());
        EXPECT_FALSE(VLCorvaManager::corvaCreationToolBuild());
        EXPECT_EQ(VLCorvaManager::settingDict(), std::nullopt);
        EXPECT_EQ(VLCorvaManager::appName(), "Default");
    }
    size_t enterpriseLines = 0, creationToolLines = 0;
    for (const std::string& line : log.lines()) {
        enterpriseLines += line.find("EnterpriseSettings.plist") != std::string::npos;
        creationToolLines += line.find("CorvaCreationToolSettings.plist") != std::string::npos;
    }
    EXPECT_EQ(enterpriseLines, 1u);
    EXPECT_EQ(creationToolLines, 1u);

    // An empty file too.
    givenPlistBytes(kEnterprise, "");
    EXPECT_FALSE(VLCorvaManager::enterpriseBuild());
}

TEST(VLCorvaManager, AppNameAndAlphaValue) {
    givenPlist(kEnterprise, {{"isEnterpriseApp", true}, {"windowOpacity", 0.8}});
    EXPECT_EQ(VLCorvaManager::appName(), "Default");
    EXPECT_DOUBLE_EQ(VLCorvaManager::alphaValue(), 0.8);

    // Integers are numbers too.
    givenPlist(kEnterprise, {{"isEnterpriseApp", true}, {"windowOpacity", 0}, {"appName", ""}});
    EXPECT_EQ(VLCorvaManager::alphaValue(), 0.0);
    EXPECT_EQ(VLCorvaManager::appName(), "");

    // Out of range or absent never makes the window invisible or undefined.
    givenPlist(kEnterprise, {{"isEnterpriseApp", true}, {"windowOpacity", 5}});
    EXPECT_EQ(VLCorvaManager::alphaValue(), 1.0);
    givenPlist(kEnterprise, {{"isEnterpriseApp", true}, {"windowOpacity", -0.5}});
    EXPECT_EQ(VLCorvaManager::alphaValue(), 0.0);
    givenPlist(kEnterprise, {{"isEnterpriseApp", true}});
    EXPECT_EQ(VLCorvaManager::alphaValue(), 1.0);

    LogCapture log;
    givenPlistBytes(kEnterprise,
                    "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                    "<key>windowOpacity</key><real>nan</real><key>appName</key><integer>7"
                    "</integer></dict></plist>");
    EXPECT_EQ(VLCorvaManager::alphaValue(), 1.0);
    EXPECT_EQ(VLCorvaManager::appName(), "Default");
    EXPECT_TRUE(log.contains("\"windowOpacity\" is not a finite number"));
    EXPECT_TRUE(log.contains("\"appName\" is not a string"));
    givenPlist(kEnterprise, {{"windowOpacity", "0.8"}});
    EXPECT_EQ(VLCorvaManager::alphaValue(), 1.0);
}

TEST(VLCorvaManager, WindowSizeText) {
    using Sz = std::optional<Size>;
    EXPECT_EQ(VLCorvaManager::splitWindowSize("1024x768"), (Sz{{1024, 768}}));
    EXPECT_EQ(VLCorvaManager::splitWindowSize(" 1024 x 768 "), (Sz{{1024, 768}}));
    EXPECT_EQ(VLCorvaManager::splitWindowSize("\t800x\n600"), (Sz{{800, 600}}));
    // Trailing text is ignored, a third part too; the sides are read at float precision.
    EXPECT_EQ(VLCorvaManager::splitWindowSize("1024.5pt x 768pt"), (Sz{{1024.5, 768}}));
    EXPECT_EQ(VLCorvaManager::splitWindowSize("800x600x400"), (Sz{{800, 600}}));
    EXPECT_EQ(VLCorvaManager::splitWindowSize("+640x+480"), (Sz{{640, 480}}));
    EXPECT_EQ(VLCorvaManager::splitWindowSize("1e3x5e2"), (Sz{{1000, 500}}));
    EXPECT_EQ(VLCorvaManager::splitWindowSize("0.1x0.1"),
              (Sz{{static_cast<float>(0.1), static_cast<float>(0.1)}}));

    LogCapture log;
    for (const char* bad : {"1024", "", "x", "1024X768", "1024x", "x768", "widexhigh", "-5x10",
                            "10x-5", "0x0", "1e39x10", "1e999x10", "infx10", "nanxnan"}) {
        EXPECT_EQ(VLCorvaManager::splitWindowSize(bad), std::nullopt) << bad;
    }
    EXPECT_TRUE(log.contains("window size \"1024\" has no x"));
    EXPECT_TRUE(log.contains("window size \"-5x10\" is not a size"));
}

TEST(VLCorvaManager, CreationToolWindowSize) {
    // Not a creation-tool build: the screen, whatever the enterprise file says.
    givenPlist(kEnterprise, {{"isEnterpriseApp", true}, {"defaultWindowSize", "800x600"}});
    EXPECT_EQ(VLCorvaManager::corvaCreationToolWindowSize(kScreen), kScreen);
    givenPlist(kCreationTool, {{"defaultWindowSize", "800x600"}});
    EXPECT_EQ(VLCorvaManager::corvaCreationToolWindowSize(kScreen), kScreen);

    givenPlist(kCreationTool,
               {{"isCreatedByCorvaCreationTool", true}, {"defaultWindowSize", " 1280 x 720 "}});
    EXPECT_EQ(VLCorvaManager::corvaCreationToolWindowSize(kScreen), (Size{1280, 720}));
    EXPECT_EQ(VLCorvaManager::corvaCreationToolWindowSize(Size{}), (Size{1280, 720}));

    for (json value : {json(""), json("no size"), json(1024), json::array({1024, 768})}) {
        givenPlist(kCreationTool,
                   {{"isCreatedByCorvaCreationTool", true}, {"defaultWindowSize", value}});
        EXPECT_EQ(VLCorvaManager::corvaCreationToolWindowSize(kScreen), kScreen) << value;
    }
    givenPlist(kCreationTool, {{"isCreatedByCorvaCreationTool", true}});
    EXPECT_EQ(VLCorvaManager::corvaCreationToolWindowSize(kScreen), kScreen);
}

TEST(VLCorvaManager, HexColourForwardsToTheScannerReading) {
    const Color orange = Color::rgb(1.0, 128 / 255.0, 0.0, 1.0, Color::Space::CalibratedRGB);
    const Color black = Color::rgb(0, 0, 0, 1.0, Color::Space::CalibratedRGB);
    EXPECT_EQ(VLCorvaManager::colorWithHexColorString("FF8000"), orange);
    EXPECT_EQ(VLCorvaManager::colorWithHexColorString("0xff8000"), orange);
    EXPECT_EQ(VLCorvaManager::colorWithHexColorString("#FF8000"), black);
    EXPECT_EQ(VLCorvaManager::colorWithHexColorString("FFFFFFFFFF"),
              Color::rgb(1, 1, 1, 1.0, Color::Space::CalibratedRGB));
}

TEST(CorvaDictionary, WrongTypesReadAsAbsent) {
    LogCapture log;
    CorvaDictionary d(json{{"flag", "true"},
                           {"on", 2},
                           {"off", 0.0},
                           {"level", 2.9},
                           {"negative", -1.5},
                           {"huge", 1e300},
                           {"text", 5},
                           {"empty", ""},
                           {"list", json::array({"a", 1, nullptr, "b", json::object()})},
                           {"notList", "a"}});
    EXPECT_FALSE(d.boolean("flag"));
    EXPECT_TRUE(d.boolean("on"));
    EXPECT_FALSE(d.boolean("off"));
    EXPECT_FALSE(d.boolean("missing"));
    EXPECT_EQ(d.integer("level"), 2);
    EXPECT_EQ(d.integer("negative"), -1);
    EXPECT_EQ(d.integer("huge"), std::numeric_limits<long long>::max());
    EXPECT_EQ(d.integer("flag"), 0);
    EXPECT_EQ(d.integer("missing"), 0);
    EXPECT_EQ(d.string("text"), std::nullopt);
    EXPECT_EQ(d.string("empty"), "");
    EXPECT_EQ(d.nonEmptyString("empty"), std::nullopt);
    EXPECT_EQ(d.strings("list"), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(d.strings("notList").empty());
    EXPECT_TRUE(d.strings("missing").empty());
    EXPECT_TRUE(log.contains("\"flag\" is not a boolean"));
    EXPECT_TRUE(log.contains("\"text\" is not a string"));
    EXPECT_TRUE(log.contains("element 1 of \"list\" is not a string"));
    EXPECT_TRUE(log.contains("element 4 of \"list\" is not a string"));
    EXPECT_TRUE(log.contains("\"notList\" is not an array"));

    // Not a dictionary at all.
    CorvaDictionary none(json::array({1, 2}));
    EXPECT_FALSE(none.boolean("0"));
    EXPECT_EQ(none.string("0"), std::nullopt);
    EXPECT_FALSE(CorvaDictionary().values());
}

TEST(AppTargetName, EveryAppSuffixIsRemoved) {
    EXPECT_EQ(WindowRules::appTargetName("/Applications/My.app.app"), "My");
    EXPECT_EQ(WindowRules::appTargetName("/opt/Mail.app/"), "Mail");
    EXPECT_EQ(WindowRules::appTargetName("/opt/Web.apps.app"), "Webs");
}
