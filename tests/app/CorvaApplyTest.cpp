#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "CorvaTestSupport.h"
#include "LogCapture.h"
#include "app/VLCorvaManager.h"
#include "foundation/UserDefaults.h"
#include "rules/VLWhiteListManager.h"
#include "stores/VLBehaviorManager.h"
#include "stores/VLFileManager.h"
#include "stores/VLSettingsManager.h"

using nlohmann::json;
using Events = std::vector<std::string>;

namespace {
std::string settingsFile(const std::string& name) {
    return VLFileManager::getSettingsPath() + name;
}
void givenStoreFile(const std::string& name, const json& contents) {
    writeFileBytes(settingsFile(name), contents.dump());
}
json storeFile(const std::string& name) {
    return json::parse(readFileBytes(settingsFile(name)));
}
json savedDefaults() {
    return json::parse(readFileBytes(UserDefaults::standard().path()));
}

json fullConfiguration() {
    return {{"isEnterpriseApp", true},
            {"appName", "Acme Mail"},
            {"URL", "mail.acme.test/inbox"},
            {"hideProgressBar", true},
            {"windowLevel", 1},
            {"windowShadow", false},
            {"windowOpacity", 0.8},
            {"colorHex", "FF8000"},
            {"hideTitle", true},
            {"hideTitleIcon", false},
            {"hideTitlebar", true},
            {"hideToolbarButton", true},
            {"hidePreferences", true},
            {"customUserAgent", "iPad"},
            {"showStatusBarOption", false},
            {"showUserScriptStyleOption", true},
            {"showMobileDesktopOption", false},
            {"hideBookmark", true},
            {"defaultWindowSize", "1024 x 768"},
            {"whiteListAllowAll", false},
            {"whiteListAllowPatterns", true},
            {"whiteListPatterns", {"*.acme.test*", "login.partner.test", "*.acme.test*"}},
            {"userNotifications", false},
            {"dockBadge", true}};
}

// What a user left behind in the previous run.
void givenUserChanges() {
    givenStoreFile("settings.json", {{"main_url", "https://old.test/"},
                                     {"enableJavaScript", false},
                                     {"allowCookies", 2},
                                     {"windowLevelKey", -2147483623},
                                     {"fontName", "Serif"},
                                     {"fontSize", 12}});
    givenStoreFile("behavior.json", {{"version", 1.1},
                                     {"closeApplication", true},
                                     {"windowAllSpace", true},
                                     {"openLinksKey", 2},
                                     {"statusBarKey", true},
                                     {"POPOVER_W_KEY", 500},
                                     {"POPOVER_H_KEY", 300}});
    givenStoreFile("whitelist.json", {{"allowAll", true},
                                      {"allowPatterns", false},
                                      {"allowSubdomains", true},
                                      {"pattern", {"old.test", "other.test"}}});
    UserDefaults::standard().setBool("UserNotifications", true);
    UserDefaults::standard().setBool("DockBadge", false);
}
}  // namespace

TEST(VLCorvaManager, EnterpriseConfigurationIsAppliedInOrder) {
    givenUserChanges();
    givenPlist("EnterpriseSettings", fullConfiguration());
    const std::string orange =
        stringRepresentation(Color::rgb(1.0, 128 / 255.0, 0.0, 1.0, Color::Space::CalibratedRGB));

    RecordingDelegate delegate;
    // The application's set... operations read the settings, so those must be in place first.
    int checked = 0;
    delegate.onEvent = [&checked](const std::string& event) {
        VLSettingsManager& s = VLSettingsManager::sharedManager();
        if (event.starts_with("setFirstWindowLevel")) {
            EXPECT_EQ(s.windowLevel(), 3);
            ++checked;
        } else if (event.starts_with("post ShowHideToolbarButtonNotification")) {
            EXPECT_TRUE(s.hideToolbarButton());
            ++checked;
        } else if (event.starts_with("setMainWindowTitle ")) {
            EXPECT_TRUE(s.hideTitle());
            EXPECT_TRUE(s.hideTitlebar());
            EXPECT_FALSE(s.hideTitleIcon());
            ++checked;
        } else if (event.starts_with("setDefaultWindowSize")) {
            // The settings are saved after the window changes, not before.
            EXPECT_EQ(storeFile("settings.json")["main_url"], "https://old.test/");
            ++checked;
        }
    };
    VLCorvaManager& manager = VLCorvaManager::sharedManager(delegate);
    EXPECT_EQ(checked, 4);

    EXPECT_EQ(delegate.events, (Events{
                                   "setFirstWindowLevel 3",
                                   "setFirstWindowShadow 0",
                                   "setFirstWindowAlpha 0.8",
                                   "setMainWindowColor " + orange,
                                   "post ShowHideToolbarButtonNotification hide=1",
                                   "post setCustomUserAnget iPad",
                                   "setMainWindowTitle 1",
                                   "setMainWindowTitleIcon 0",
                                   "setMainWindowTitleBar 1",
                                   "setStausBarOption 0",
                                   "setHidePreferences 1",
                                   "setUserScriptStyleOption 1",
                                   "setMobileDesktopOption 0",
                                   "setBookmark 1",
                                   "setDefaultWindowSize 1024x768",
                               }));

    json settings = storeFile("settings.json");
    EXPECT_EQ(settings, (json{{"main_url", "mail.acme.test/inbox"},
                              {"hideProgressBar", true},
                              {"windowLevelKey", 3},
                              {"windowHasShadow", false},
                              {"windowOpacityKey", 0.8},
                              {"windowColor", orange},
                              {"hideTitle", true},
                              {"hideTitleIcon", false},
                              {"hideTitlebar", true},
                              {"hideToolbarButton", true},
                              {"hidePreferences", true},
                              {"enableJavaScript", true},
                              {"blockPopupWindoww", true},
                              {"enablePlugins", true},
                              {"allowCookies", 0},
                              {"fontName", "Serif"},
                              {"fontSize", 12}}));
    EXPECT_FALSE(VLSettingsManager::sharedManager().isWindowColorSystem());

    json behavior = storeFile("behavior.json");
    EXPECT_EQ(behavior["closeApplication"], false);
    EXPECT_EQ(behavior["windowAllSpace"], false);
    EXPECT_EQ(behavior["openTabWindow"], true);
    EXPECT_EQ(behavior["restoreWindowsAndTabs"], true);
    EXPECT_EQ(behavior["warnWindowsClose"], true);
    EXPECT_EQ(behavior["openLinksKey"], 1);
    EXPECT_EQ(behavior["openDefaultLinkInNewTab"], true);
    EXPECT_EQ(behavior["autoRefreshTheViewOnLoad"], true);
    EXPECT_EQ(behavior["version"], 1.1);
    // What the configuration does not name stays as the user left it.
    EXPECT_EQ(behavior["statusBarKey"], true);
    EXPECT_EQ(behavior["POPOVER_W_KEY"], 500);
    EXPECT_EQ(behavior["POPOVER_H_KEY"], 300);

    EXPECT_EQ(storeFile("whitelist.json"),
              (json{{"allowAll", false},
                    {"allowPatterns", true},
                    {"allowSubdomains", true},
                    {"pattern", {"*.acme.test*", "login.partner.test"}}}));
    EXPECT_FALSE(VLWhiteListManager::sharedManager().isUrlAllow("https://old.test/"));
    EXPECT_TRUE(VLWhiteListManager::sharedManager().isUrlAllow("https://www.acme.test/"));

    json defaults = savedDefaults();
    EXPECT_EQ(defaults["UserNotifications"], false);
    EXPECT_EQ(defaults["DockBadge"], true);

    // Once per process: a later call changes nothing, even after the user changed things.
    VLSettingsManager::sharedManager().setHideTitle(false);
    delegate.events.clear();
    EXPECT_EQ(&VLCorvaManager::sharedManager(delegate), &manager);
    EXPECT_TRUE(delegate.events.empty());
    EXPECT_FALSE(VLSettingsManager::sharedManager().hideTitle());
}

TEST(VLCorvaManager, AbsentKeysClearWhatTheyGovern) {
    givenUserChanges();
    givenPlist("EnterpriseSettings", {{"isEnterpriseApp", true}});
    LogCapture log;
    RecordingDelegate delegate;
    VLCorvaManager::sharedManager(delegate);

    // No level change, no colour, no user agent, no size; every switch false; opaque window.
    EXPECT_EQ(delegate.events, (Events{
                                   "setFirstWindowShadow 0",
                                   "setFirstWindowAlpha 1",
                                   "post ShowHideToolbarButtonNotification hide=0",
                                   "setMainWindowTitle 0",
                                   "setMainWindowTitleIcon 0",
                                   "setMainWindowTitleBar 0",
                                   "setStausBarOption 0",
                                   "setHidePreferences 0",
                                   "setUserScriptStyleOption 0",
                                   "setMobileDesktopOption 0",
                                   "setBookmark 0",
                               }));
    json settings = storeFile("settings.json");
    EXPECT_FALSE(settings.contains("main_url")) << "no URL: no home page";
    EXPECT_EQ(VLSettingsManager::sharedManager().getMainUrl(), std::nullopt);
    EXPECT_EQ(settings["windowLevelKey"], -2147483623) << "level left alone";
    EXPECT_FALSE(settings.contains("windowColor"));
    EXPECT_EQ(settings["windowOpacityKey"], 1.0);
    EXPECT_EQ(settings["allowCookies"], 0);

    json whitelist = storeFile("whitelist.json");
    EXPECT_EQ(whitelist["pattern"], json::array());
    EXPECT_EQ(whitelist["allowAll"], false);
    EXPECT_EQ(whitelist["allowSubdomains"], true);
    EXPECT_TRUE(VLWhiteListManager::sharedManager().patterns().empty());

    json defaults = savedDefaults();
    EXPECT_EQ(defaults["UserNotifications"], false);
    EXPECT_EQ(defaults["DockBadge"], false);
    EXPECT_FALSE(UserDefaults::standard().boolForKey("UserNotifications", true));
    EXPECT_TRUE(log.lines().size() <= 1) << "absent keys are not errors";
}

TEST(VLCorvaManager, WindowLevelChoices) {
    givenPlist("EnterpriseSettings", {{"isEnterpriseApp", true}, {"windowLevel", 2}});
    givenStoreFile("settings.json", {{"windowLevelKey", 3}});
    VLCorvaManager manager;
    VLSettingsManager& settings = VLSettingsManager::sharedManager();
    {
        RecordingDelegate delegate;
        manager.setDefaultSettings(delegate);
        EXPECT_EQ(delegate.events.front(), "setFirstWindowLevel 0");
        EXPECT_EQ(settings.windowLevel(), 0);
    }
    for (json level : {json(3), json(0), json(-1), json(1.0e30), json("1")}) {
        givenPlist("EnterpriseSettings", {{"isEnterpriseApp", true}, {"windowLevel", level}});
        RecordingDelegate delegate;
        manager.setDefaultSettings(delegate);
        EXPECT_EQ(delegate.events.front(), "setFirstWindowShadow 0") << level;
        EXPECT_EQ(settings.windowLevel(), 0) << level;
    }
    // A real number is read as an integer.
    givenPlist("EnterpriseSettings", {{"isEnterpriseApp", true}, {"windowLevel", 1.7}});
    RecordingDelegate delegate;
    manager.setDefaultSettings(delegate);
    EXPECT_EQ(delegate.events.front(), "setFirstWindowLevel 3");
    EXPECT_EQ(storeFile("settings.json")["windowLevelKey"], 3);
}

TEST(VLCorvaManager, UnreadableColourIsBlackAndOpacityStaysAFraction) {
    const Color black = Color::rgb(0, 0, 0, 1.0, Color::Space::CalibratedRGB);
    VLCorvaManager manager;
    VLSettingsManager& settings = VLSettingsManager::sharedManager();
    settings.setIsWindowColorSystem(true);
    givenPlist("EnterpriseSettings",
               {{"isEnterpriseApp", true}, {"colorHex", "#FF8000"}, {"windowOpacity", 5}});
    RecordingDelegate delegate;
    manager.setDefaultSettings(delegate);
    EXPECT_EQ(delegate.events.at(1), "setFirstWindowAlpha 1");
    EXPECT_EQ(delegate.events.at(2), "setMainWindowColor " + stringRepresentation(black));
    EXPECT_EQ(settings.windowColor(), black);
    EXPECT_FALSE(settings.isWindowColorSystem());
    json saved = storeFile("settings.json");
    EXPECT_EQ(saved["windowColor"], stringRepresentation(black));
    EXPECT_EQ(saved["windowOpacityKey"], 1.0);

    // An empty colour is no colour: the window keeps its own.
    givenPlist("EnterpriseSettings",
               {{"isEnterpriseApp", true}, {"colorHex", ""}, {"windowOpacity", -3}});
    RecordingDelegate again;
    manager.setDefaultSettings(again);
    EXPECT_EQ(again.events.at(1), "setFirstWindowAlpha 0");
    EXPECT_FALSE(again.events.at(2).starts_with("setMainWindowColor"));
}

TEST(VLCorvaManager, HostileValuesAreLoggedAndSkipped) {
    givenUserChanges();
    json config = fullConfiguration();
    config["URL"] = 42;
    config["hideTitle"] = "YES";
    config["colorHex"] = json::array({"FF8000"});
    config["customUserAgent"] = json::object();
    config["defaultWindowSize"] = "1024";
    config["windowOpacity"] = "0.5";
    config["whiteListPatterns"] = {"ok.test", 7, json::array({"nested"}), "also.test"};
    givenPlist("EnterpriseSettings", config);

    LogCapture log;
    RecordingDelegate delegate;
    VLCorvaManager::sharedManager(delegate);
    for (const char* key :
         {"\"URL\" is not a string", "\"hideTitle\" is not a boolean",
          "\"colorHex\" is not a string", "\"customUserAgent\" is not a string",
          "window size \"1024\" has no x", "\"windowOpacity\" is not a finite",
          "element 1 of \"whiteListPatterns\"", "element 2 of \"whiteListPatterns\""}) {
        EXPECT_TRUE(log.contains(key)) << key;
    }
    for (const std::string& event : delegate.events) {
        EXPECT_FALSE(event.starts_with("setMainWindowColor")) << event;
        EXPECT_FALSE(event.starts_with("post setCustomUserAnget")) << event;
        EXPECT_FALSE(event.starts_with("setDefaultWindowSize")) << event;
    }
    EXPECT_EQ(delegate.events.back(), "setBookmark 1");
    EXPECT_NE(std::find(delegate.events.begin(), delegate.events.end(), "setMainWindowTitle 0"),
              delegate.events.end());
    EXPECT_FALSE(storeFile("settings.json").contains("main_url"));
    EXPECT_EQ(storeFile("whitelist.json")["pattern"], (json{"ok.test", "also.test"}));
    // The rest was still applied.
    EXPECT_EQ(storeFile("behavior.json")["openLinksKey"], 1);
    EXPECT_EQ(savedDefaults()["DockBadge"], true);
}

TEST(VLCorvaManager, OtherBuildsApplyNothing) {
    // A creation-tool build, and an enterprise file that is not marked as one.
    json config = fullConfiguration();
    config["isEnterpriseApp"] = false;
    givenPlist("EnterpriseSettings", config);
    givenPlist("CorvaCreationToolSettings",
               {{"isCreatedByCorvaCreationTool", true}, {"defaultWindowSize", "800x600"}});
    RecordingDelegate delegate;
    VLCorvaManager::sharedManager(delegate);
    EXPECT_TRUE(delegate.events.empty());
    for (const char* file : {"settings.json", "behavior.json", "whitelist.json"}) {
        EXPECT_FALSE(std::filesystem::exists(settingsFile(file))) << file;
    }
    EXPECT_FALSE(std::filesystem::exists(UserDefaults::standard().path()));
}

TEST(VLCorvaManager, MalformedEnterpriseFileAppliesNothing) {
    givenUserChanges();
    const std::string before = readFileBytes(settingsFile("settings.json"));
    givenPlistBytes("EnterpriseSettings", "{\"isEnterpriseApp\": true}");
    LogCapture log;
    RecordingDelegate delegate;
    VLCorvaManager::sharedManager(delegate);
    EXPECT_TRUE(delegate.events.empty());
    EXPECT_EQ(readFileBytes(settingsFile("settings.json")), before);
    EXPECT_TRUE(log.contains("EnterpriseSettings.plist"));
}

TEST(VLCorvaManager, BothBuildsApplyTheCreationToolDictionary) {
    // The dictionary of a build marked both ways is the creation tool's, even for the
    // enterprise apply.
    givenPlist("EnterpriseSettings", fullConfiguration());
    givenPlist("CorvaCreationToolSettings", {{"isCreatedByCorvaCreationTool", true},
                                             {"URL", "tool.test"},
                                             {"defaultWindowSize", "800x600"}});
    RecordingDelegate delegate;
    VLCorvaManager::sharedManager(delegate);
    EXPECT_EQ(storeFile("settings.json")["main_url"], "tool.test");
    EXPECT_EQ(delegate.events.back(), "setDefaultWindowSize 800x600");
}
