#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

#include "CorvaTestSupport.h"
#include "LogCapture.h"
#include "app/CorvaDictionary.h"
#include "app/VLCorvaManager.h"
#include "browser/WindowRules.h"

using nlohmann::json;
using namespace nlohmann::literals;

namespace {
const char* kCreationTool = "CorvaCreationToolSettings";
const char* kEnterprise = "EnterpriseSettings";
const Size kScreen{1920, 1080};
}  // namespace

TEST(VLCorvaManager, EachFlagComesFromItsOwnFileAndTheCreationToolDictionaryWins) {
    struct Case {
        json creationTool, enterprise;  // null: no file
        bool creationToolBuild, enterpriseBuild, dictionary;
        std::string appName;
    };
    const json tool = {{"isCreatedByCorvaCreationTool", true}, {"appName", "Tool"}};
    const json acme = {{"isEnterpriseApp", true}, {"appName", "Acme"}};
    // clang-format off
    const std::vector<Case> cases = {
        {nullptr, nullptr, false, false, false, "Default"},
        // Each key counts only in its own file.
        {{{"isEnterpriseApp", true}}, {{"isCreatedByCorvaCreationTool", true}}, false, false, true, "Default"},
        {tool, nullptr, true, false, true, "Tool"},
        {tool, acme, true, true, true, "Tool"},
        // An unmarked creation-tool file leaves the enterprise one in charge; numbers are truths.
        {{{"appName", "Tool"}}, {{"isEnterpriseApp", 1}, {"appName", "Acme"}}, false, true, true, "Acme"},
        {{{"isCreatedByCorvaCreationTool", 0}}, {{"isEnterpriseApp", 0}}, false, false, true, "Default"},
        {{{"isCreatedByCorvaCreationTool", false}}, nullptr, false, false, false, "Default"},
    };
    // clang-format on
    LogCapture log;
    for (const Case& c : cases) {
        for (auto [name, contents] :
             {std::pair{kCreationTool, c.creationTool}, {kEnterprise, c.enterprise}}) {
            if (contents.is_null()) {
                std::filesystem::remove(Bundle::main().resourcePath() + "/" + name + ".plist");
            } else {
                givenPlist(name, contents);
            }
        }
        SCOPED_TRACE(c.creationTool.dump() + " " + c.enterprise.dump());
        EXPECT_EQ(VLCorvaManager::corvaCreationToolBuild(), c.creationToolBuild);
        EXPECT_EQ(VLCorvaManager::enterpriseBuild(), c.enterpriseBuild);
        EXPECT_EQ(VLCorvaManager::settingDict().has_value(), c.dictionary);
        EXPECT_EQ(VLCorvaManager::appName(), c.appName);
    }
    EXPECT_TRUE(log.lines().empty()) << "a missing file is an ordinary build";
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
    EXPECT_EQ(log.count("EnterpriseSettings.plist"), 1u);
    EXPECT_EQ(log.count("CorvaCreationToolSettings.plist"), 1u);
    // An empty file too.
    givenPlistBytes(kEnterprise, "");
    EXPECT_FALSE(VLCorvaManager::enterpriseBuild());
}

TEST(VLCorvaManager, AlphaValueAndHostileAppName) {
    // Integers are numbers too; out of range, absent or text never leaves the window invisible.
    for (auto [opacity, alpha] : std::vector<std::pair<json, double>>{
             {0.8, 0.8}, {0, 0.0}, {5, 1.0}, {-0.5, 0.0}, {nullptr, 1.0}, {"0.8", 1.0}}) {
        json config = {{"isEnterpriseApp", true}};
        if (!opacity.is_null()) {
            config["windowOpacity"] = opacity;
        }
        givenPlist(kEnterprise, config);
        EXPECT_DOUBLE_EQ(VLCorvaManager::alphaValue(), alpha) << opacity;
    }
    LogCapture log;
    givenPlistBytes(kEnterprise,
                    "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                    "<key>windowOpacity</key><real>nan</real><key>appName</key><integer>7"
                    "</integer></dict></plist>");
    EXPECT_EQ(VLCorvaManager::alphaValue(), 1.0);
    EXPECT_EQ(VLCorvaManager::appName(), "Default");
    EXPECT_TRUE(log.contains("\"windowOpacity\" is not a finite number"));
    EXPECT_TRUE(log.contains("\"appName\" is not a string"));
}

TEST(VLCorvaManager, WindowSizeText) {
    // Blanks around the parts, trailing text and a third part are ignored; float precision.
    // clang-format off
    for (auto [text, width, height] : std::vector<std::tuple<const char*, float, float>>{
             {"1024x768", 1024, 768}, {" 1024 x 768 ", 1024, 768}, {"\t800x\n600", 800, 600},
             {"1024.5pt x 768pt", 1024.5, 768}, {"800x600x400", 800, 600}, {"+640x+480", 640, 480},
             {"1e3x5e2", 1000, 500}, {"0.1x0.1", 0.1f, 0.1f}}) {
        // clang-format on
        EXPECT_EQ(VLCorvaManager::splitWindowSize(text), (Size{width, height})) << text;
    }
    LogCapture log;
    for (const char* bad : {"1024", "", "x", "1024X768", "1024x", "x768", "widexhigh", "-5x10",
                            "10x-5", "0x0", "1e39x10", "1e999x10", "infx10", "nanxnan"}) {
        EXPECT_EQ(VLCorvaManager::splitWindowSize(bad), std::nullopt) << bad;
    }
    EXPECT_TRUE(log.contains("window size \"1024\" has no x"));
    EXPECT_TRUE(log.contains("window size \"-5x10\" is not a size"));
}

TEST(VLCorvaManager, CreationToolWindowSize) {
    // Not a creation-tool build: the screen, whatever the enterprise or an unmarked file says.
    givenPlist(kEnterprise, {{"isEnterpriseApp", true}, {"defaultWindowSize", "800x600"}});
    givenPlist(kCreationTool, {{"defaultWindowSize", "800x600"}});
    EXPECT_EQ(VLCorvaManager::corvaCreationToolWindowSize(kScreen), kScreen);
    for (auto [value, size] : std::vector<std::pair<json, Size>>{{" 1280 x 720 ", {1280, 720}},
                                                                 {"", kScreen},
                                                                 {"no size", kScreen},
                                                                 {nullptr, kScreen}}) {
        json config = {{"isCreatedByCorvaCreationTool", true}};
        if (!value.is_null()) {
            config["defaultWindowSize"] = value;
        }
        givenPlist(kCreationTool, config);
        EXPECT_EQ(VLCorvaManager::corvaCreationToolWindowSize(kScreen), size) << value;
    }
}

TEST(CorvaDictionary, WrongTypesReadAsAbsent) {
    LogCapture log;
    CorvaDictionary d(R"({"flag": "true", "on": 2, "off": 0.0, "level": 2.9, "negative": -1.5,
        "huge": 1e300, "text": 5, "empty": "", "list": ["a", 1, null, "b", {}], "notList": "a"})"_json);
    EXPECT_FALSE(d.boolean("flag"));
    EXPECT_TRUE(d.boolean("on"));
    EXPECT_FALSE(d.boolean("off"));
    EXPECT_EQ(d.integer("level"), 2);
    EXPECT_EQ(d.integer("negative"), -1);
    EXPECT_EQ(d.integer("huge"), std::numeric_limits<long long>::max());
    EXPECT_EQ(d.integer("flag"), 0);
    EXPECT_EQ(d.string("text"), std::nullopt);
    EXPECT_EQ(d.string("empty"), "");
    EXPECT_EQ(d.nonEmptyString("empty"), std::nullopt);
    EXPECT_EQ(d.strings("list"), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(d.strings("notList").empty());
    EXPECT_TRUE(log.contains("\"flag\" is not a boolean"));
    EXPECT_TRUE(log.contains("\"text\" is not a string"));
    EXPECT_TRUE(log.contains("element 1 of \"list\" is not a string"));
    EXPECT_TRUE(log.contains("element 4 of \"list\" is not a string"));
    EXPECT_TRUE(log.contains("\"notList\" is not an array"));

    // Not a dictionary at all.
    CorvaDictionary none(json::array({1, 2}));
    EXPECT_FALSE(none.boolean("0"));
    EXPECT_EQ(none.string("0"), std::nullopt);
}

TEST(AppTargetName, EveryAppSuffixIsRemoved) {
    EXPECT_EQ(WindowRules::appTargetName("/Applications/My.app.app"), "My");
    EXPECT_EQ(WindowRules::appTargetName("/opt/Mail.app/"), "Mail");
    EXPECT_EQ(WindowRules::appTargetName("/opt/Web.apps.app"), "Webs");
}
