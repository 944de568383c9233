#include <gtest/gtest.h>

#include "CorvaTestSupport.h"
#include "LogCapture.h"
#include "app/VLCorvaManager.h"
#include "foundation/UserDefaults.h"
#include "stores/VLFileManager.h"
#include "stores/VLSettingsManager.h"

using nlohmann::json;
using namespace nlohmann::literals;
using Events = std::vector<std::string>;

namespace {
std::string settingsFile(const std::string& name) {
    return VLFileManager::getSettingsPath() + name;
}
json storeFile(const std::string& name) {
    return json::parse(readFileBytes(settingsFile(name)));
}
json savedDefaults() {
    return json::parse(readFileBytes(UserDefaults::standard().path()));
}
std::string colour(double red, double green, double blue) {
    return stringRepresentation(Color::rgb(red, green, blue, 1.0, Color::Space::CalibratedRGB));
}

json fullConfiguration() {
    return R"({"isEnterpriseApp": true, "appName": "Acme Mail", "URL": "mail.acme.test/inbox",
        "hideProgressBar": true, "windowLevel": 1, "windowShadow": false, "windowOpacity": 0.8,
        "colorHex": "FF8000", "hideTitle": true, "hideTitleIcon": false, "hideTitlebar": true,
        "hideToolbarButton": true, "hidePreferences": true, "customUserAgent": "iPad",
        "showStatusBarOption": false, "showUserScriptStyleOption": true,
        "showMobileDesktopOption": false, "hideBookmark": true, "defaultWindowSize": "1024 x 768",
        "whiteListAllowAll": false, "whiteListAllowPatterns": true,
        "whiteListPatterns": ["*.acme.test*", "login.partner.test", "*.acme.test*"],
        "userNotifications": false, "dockBadge": true})"_json;
}

// What a user left behind in the previous run.
const json kUserSettings = R"({"main_url": "https://old.test/", "enableJavaScript": false,
    "allowCookies": 2, "windowLevelKey": -2147483623, "fontName": "Serif", "fontSize": 12})"_json;
const json kUserBehavior = R"({"version": 1.1, "closeApplication": true, "windowAllSpace": true,
    "openLinksKey": 2, "statusBarKey": true, "POPOVER_W_KEY": 500, "POPOVER_H_KEY": 300})"_json;
void givenUserChanges() {
    writeFileBytes(settingsFile("settings.json"), kUserSettings.dump());
    writeFileBytes(settingsFile("behavior.json"), kUserBehavior.dump());
    writeFileBytes(settingsFile("whitelist.json"),
                   R"({"allowAll":true,"allowPatterns":false,"allowSubdomains":true,
                       "pattern":["old.test","other.test"]})");
    UserDefaults::standard().setBool("UserNotifications", true);
    UserDefaults::standard().setBool("DockBadge", false);
}
}  // namespace

TEST(VLCorvaManager, EnterpriseConfigurationIsAppliedInOrder) {
    givenUserChanges();
    givenPlist("EnterpriseSettings", fullConfiguration());
    const std::string orange = colour(1.0, 128 / 255.0, 0.0);

    RecordingDelegate delegate;
    // The application's set... operations read the settings, so those must be in place first;
    // the settings are saved after the window changes.
    int checked = 0;
    delegate.onEvent = [&checked](const std::string& event) {
        VLSettingsManager& s = VLSettingsManager::sharedManager();
        if (event.starts_with("setFirstWindowLevel")) {
            checked += s.windowLevel() == 3;
        } else if (event.starts_with("post ShowHideToolbarButtonNotification")) {
            checked += s.hideToolbarButton();
        } else if (event.starts_with("setMainWindowTitle ")) {
            checked += s.hideTitle() && s.hideTitlebar() && !s.hideTitleIcon();
        } else if (event.starts_with("setDefaultWindowSize")) {
            checked += storeFile("settings.json")["main_url"] == "https://old.test/";
        }
    };
    VLCorvaManager& manager = VLCorvaManager::sharedManager(delegate);
    EXPECT_EQ(checked, 4);

    EXPECT_EQ(
        delegate.events,
        (Events{"setFirstWindowLevel 3", "setFirstWindowShadow 0", "setFirstWindowAlpha 0.8",
                "setMainWindowColor " + orange, "post ShowHideToolbarButtonNotification hide=1",
                "post setCustomUserAnget iPad", "setMainWindowTitle 1", "setMainWindowTitleIcon 0",
                "setMainWindowTitleBar 1", "setStausBarOption 0", "setHidePreferences 1",
                "setUserScriptStyleOption 1", "setMobileDesktopOption 0", "setBookmark 1",
                "setDefaultWindowSize 1024x768"}));

    // What the configuration does not name (the font, popover size...) stays as the user left it.
    json settings = kUserSettings;
    settings.update(R"({"main_url": "mail.acme.test/inbox", "hideProgressBar": true,
        "windowLevelKey": 3, "windowHasShadow": false, "windowOpacityKey": 0.8, "hideTitle": true,
        "hideTitleIcon": false, "hideTitlebar": true, "hideToolbarButton": true,
        "hidePreferences": true, "enableJavaScript": true, "blockPopupWindoww": true,
        "enablePlugins": true, "allowCookies": 0})"_json);
    settings["windowColor"] = orange;
    EXPECT_EQ(storeFile("settings.json"), settings);
    EXPECT_FALSE(VLSettingsManager::sharedManager().isWindowColorSystem());
    json behavior = kUserBehavior;
    behavior.update(R"({"closeApplication": false, "windowAllSpace": false,
        "openTabWindow": true, "restoreWindowsAndTabs": true, "warnWindowsClose": true,
        "openLinksKey": 1, "openDefaultLinkInNewTab": true, "autoRefreshTheViewOnLoad": true})"_json);
    EXPECT_EQ(storeFile("behavior.json"), behavior);
    EXPECT_EQ(storeFile("whitelist.json"), R"({"allowAll": false, "allowPatterns": true,
        "allowSubdomains": true, "pattern": ["*.acme.test*", "login.partner.test"]})"_json);
    EXPECT_EQ(savedDefaults()["UserNotifications"], false);
    EXPECT_EQ(savedDefaults()["DockBadge"], true);

    // Once per process: a later call changes nothing, even after the user changed things.
    VLSettingsManager::sharedManager().setHideTitle(false);
    delegate.events.clear();
    EXPECT_EQ(&VLCorvaManager::sharedManager(delegate), &manager);
    EXPECT_TRUE(delegate.events.empty());
    EXPECT_FALSE(VLSettingsManager::sharedManager().hideTitle());
}

TEST(VLCorvaManager, LevelTwoIsTheNormalLevelAndOpacityStaysWithinRange) {
    // Other levels leave the stored one alone: AbsentAndHostileValuesAreSkippedAndTheRestApplied.
    givenPlist(
        "EnterpriseSettings",
        {{"isEnterpriseApp", true}, {"windowLevel", 2}, {"windowOpacity", -3}, {"colorHex", ""}});
    VLSettingsManager::sharedManager().setWindowLevel(5);
    RecordingDelegate delegate;
    VLCorvaManager().setDefaultSettings(delegate);
    ASSERT_GE(delegate.events.size(), 4u);
    EXPECT_EQ(Events(delegate.events.begin(), delegate.events.begin() + 4),
              (Events{"setFirstWindowLevel 0", "setFirstWindowShadow 0", "setFirstWindowAlpha 0",
                      "post ShowHideToolbarButtonNotification hide=0"}))
        << "an empty colorHex sets no colour";
    EXPECT_EQ(VLSettingsManager::sharedManager().windowLevel(), 0);
}

TEST(VLCorvaManager, AbsentAndHostileValuesAreSkippedAndTheRestApplied) {
    givenUserChanges();
    json config = fullConfiguration();
    // Absent keys clear what they govern: no level change, no patterns, false switches.
    for (const char* key :
         {"windowLevel", "whiteListPatterns", "hideBookmark", "userNotifications", "dockBadge"}) {
        config.erase(key);
    }
    // Values of the wrong type read as absent.
    config["URL"] = 42;
    config["hideTitle"] = "YES";
    config["colorHex"] = json::array({"FF8000"});
    config["customUserAgent"] = json::object();
    config["defaultWindowSize"] = "1024";
    config["windowOpacity"] = "0.5";
    givenPlist("EnterpriseSettings", config);

    LogCapture log;
    RecordingDelegate delegate;
    VLCorvaManager::sharedManager(delegate);
    EXPECT_EQ(delegate.events,
              (Events{"setFirstWindowShadow 0", "setFirstWindowAlpha 1",
                      "post ShowHideToolbarButtonNotification hide=1", "setMainWindowTitle 0",
                      "setMainWindowTitleIcon 0", "setMainWindowTitleBar 1", "setStausBarOption 0",
                      "setHidePreferences 1", "setUserScriptStyleOption 1",
                      "setMobileDesktopOption 0", "setBookmark 0"}));
    EXPECT_FALSE(log.contains("windowLevel") || log.contains("dockBadge")) << "absent is no error";

    json settings = storeFile("settings.json");
    EXPECT_FALSE(settings.contains("main_url")) << "no URL: no home page";
    EXPECT_EQ(settings["windowLevelKey"], -2147483623) << "level left alone";
    EXPECT_FALSE(settings.contains("windowColor"));
    EXPECT_EQ(settings["windowOpacityKey"], 1.0);
    EXPECT_EQ(
        storeFile("whitelist.json"),
        R"({"allowAll":false,"allowPatterns":true,"allowSubdomains":true,"pattern":[]})"_json);
    EXPECT_EQ(savedDefaults()["UserNotifications"], false);
    EXPECT_EQ(savedDefaults()["DockBadge"], false);
    EXPECT_EQ(storeFile("behavior.json")["openLinksKey"], 1);
}
