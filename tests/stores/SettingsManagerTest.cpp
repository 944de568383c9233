#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <thread>

#include "LogCapture.h"
#include "StoreTestSupport.h"
#include "foundation/Bundle.h"
#include "foundation/NotificationCenter.h"
#include "foundation/UserDefaults.h"
#include "maintenance/ColorString.h"
#include "maintenance/Image.h"
#include "stores/VLSettingsManager.h"

namespace {
Image solidImage(int width, int height) {
    auto pixbuf =
        GObjectPtr<GdkPixbuf>::adopt(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, width, height));
    gdk_pixbuf_fill(pixbuf.get(), 0x3366ccff);
    return Image(std::move(pixbuf));
}
}  // namespace

TEST(VLSettingsManager, MissingFileGivesSafeDefaultsAndHomeUrlGetsAScheme) {
    VLSettingsManager settings;
    EXPECT_EQ(settings.getMainUrl(), std::nullopt);
    EXPECT_EQ(settings.pathToDownloadsFolder(), TestHome::path() + "/Downloads");
    EXPECT_EQ(settings.windowOpacity(), 100.0) << "opaque";
    EXPECT_TRUE(settings.blockPopupWindow()) << "pop-ups stay blocked in a new app";
    EXPECT_EQ(settings.windowColor(), Color::windowBackground());

    // A home URL without a scheme gets one (the typed-address tests have more), even a host whose
    // first letters are "http".
    settings.setUrl(std::string("httpbin.org"));
    EXPECT_EQ(settings.getMainUrl()->absoluteString(), "https://httpbin.org");
    settings.setUrl(std::string(""));
    EXPECT_EQ(settings.getMainUrl(), std::nullopt);
    settings.setUrl(std::string("not a url"));
    EXPECT_EQ(settings.getMainUrl(), std::nullopt);
}

// Every key of settings.json: set to a value other than the default, saved, read back by a new
// store.
TEST(VLSettingsManager, EveryKeySurvivesSaveAndReload) {
    using S = VLSettingsManager;
    struct Flag {
        const char* key;
        std::function<bool(S&)> get;
        std::function<void(S&, bool)> set;
    };
#define FLAG(name, getter, setter)                                               \
    Flag {                                                                       \
        name, [](S& s) { return s.getter(); }, [](S& s, bool v) { s.setter(v); } \
    }
    const std::vector<Flag> flags = {
        FLAG("openEmptyPage;", openEmptyPage, setOpenEmptyPage),
        FLAG("autowindowColor", autoWindowColor, setAutoWindowColor),
        FLAG("windowHasShadow", windowShadow, setWindowShadow),
        FLAG("hideTitle", hideTitle, setHideTitle),
        FLAG("hideTitleIcon", hideTitleIcon, setHideTitleIcon),
        FLAG("hideTitlebar", hideTitlebar, setHideTitlebar),
        FLAG("hideToolbarButton", hideToolbarButton, setHideToolbarButton),
        FLAG("hidePreferences", hidePreferences, setHidePreferences),
        FLAG("hideProgressBar", hideProgressBar, setHideProgressBar),
        FLAG("enablePlugins", enablePlugins, setEnablePlugins),
        FLAG("enableJavaScript", enableJavaScript, setEnableJavaScript),
        FLAG("blockPopupWindoww", blockPopupWindow, setBlockPopupWindow),
        FLAG("blockAds", blockAds, setBlockAds),
        FLAG("selectNewTab", selectNewTab, setSelectNewTab),
        FLAG("returnToPrior", returnToPrior, setReturnToPrior),
        FLAG("confirmBeforeTabsClose", confirmColseTabs, setConfirmColseTabs),
        FLAG("showBookmark", showBookmarkBar, setShowBookmarkBar),
    };
#undef FLAG
    std::vector<bool> defaults;
    {
        S s;
        for (const Flag& flag : flags) {
            defaults.push_back(flag.get(s));
            flag.set(s, !defaults.back());
        }
        s.setUrl(std::string("https://example.com/"));
        s.setPathToDownloadFolder("/srv/downloads");
        s.setStandardFont(FontSpec{"DejaVu Sans", 15.5});
        s.setWindowColor(Color::rgb(0.2, 0.4, 0.6));
        s.setWindowOpacity(0.8);
        s.setWindowLevel(S::kDesktopWindowLevel);
        s.setCookiesAllow(2);
        s.setAppearance(2);
        s.setRefreshTimeInterval(30.5);
        ASSERT_TRUE(s.saveSettings());
    }
    nlohmann::json file = fileJson("settings.json");
    EXPECT_EQ(file["openEmptyPage;"], 1) << "stored as a number";
    S reloaded;
    for (size_t i = 0; i < flags.size(); ++i) {
        EXPECT_EQ(file.erase(flags[i].key), 1u) << flags[i].key;
        EXPECT_EQ(flags[i].get(reloaded), !defaults[i]) << flags[i].key;
    }
    EXPECT_EQ(file, nlohmann::json::parse(R"({"main_url": "https://example.com/",
        "downloads": "/srv/downloads", "fontName": "DejaVu Sans", "fontSize": 15.5,
        "windowColor": "0.200000 0.400000 0.600000 1.000000", "windowOpacityKey": 0.8,
        "windowLevelKey": -2147483623, "allowCookies": 2, "appearance": 2,
        "refreshTimeInterval": 30.5})"));
    EXPECT_EQ(reloaded.getMainUrl()->absoluteString(), "https://example.com/");
    EXPECT_EQ(reloaded.pathToDownloadsFolder(), "/srv/downloads");
    EXPECT_EQ(reloaded.standardFont(), (FontSpec{"DejaVu Sans", 15.5}));
    EXPECT_NEAR(reloaded.windowColor().blue(), 0.6, 1e-6);
    EXPECT_EQ(reloaded.windowOpacity(), 0.8);
    EXPECT_EQ(reloaded.windowLevel(), S::kDesktopWindowLevel);
    EXPECT_EQ(reloaded.cookiesAllow(), 2u);
    EXPECT_EQ(reloaded.appearance(), 2);
    EXPECT_EQ(reloaded.refreshTimeInterval(), 30.5);
}

TEST(VLSettingsManager, SystemColourAndFontResetRoundTrip) {
    {
        VLSettingsManager settings;
        settings.setAutoWindowColor(false);
        settings.setIsWindowColorSystem(true);
        settings.setWindowColor(Color::rgb(1, 0, 0));
        settings.setStandardFont(FontSpec{"Some Font", 14});
        settings.setStandardFont(std::nullopt);
        ASSERT_TRUE(settings.saveSettings());
    }
    nlohmann::json file = fileJson("settings.json");
    EXPECT_EQ(file["windowColor"], "");
    EXPECT_FALSE(file.contains("fontName"));
    EXPECT_EQ(file["fontSize"], 0);

    VLSettingsManager settings;
    EXPECT_EQ(settings.windowColor(), Color::windowBackground());
    EXPECT_EQ(settings.standardFont(), std::nullopt);
    EXPECT_FALSE(settings.isWindowColorSystem()) << "never stored";
}

TEST(VLSettingsManager, FileQuirksAndWrongTypes) {
    givenFile("settings.json",
              R"({"blockPopupWindow":false,"openEmptyPage;":2,"appearance":4294967295,)"
              R"("windowOpacityKey":"half","hideTitle":[1],"fontName":"No Such Family 123",)"
              R"("fontSize":12,"windowColor":"1 2 3 4 5 6 7 8 9 10 11","allowCookies":"x"})");
    LogCapture log;
    VLSettingsManager settings;
    EXPECT_TRUE(settings.blockPopupWindow()) << "only the doubled spelling counts";
    EXPECT_TRUE(settings.openEmptyPage());
    EXPECT_EQ(settings.appearance(), -1) << "read as a 32-bit integer";
    EXPECT_EQ(settings.windowOpacity(), 100.0);
    EXPECT_FALSE(settings.hideTitle());
    EXPECT_EQ(settings.standardFont(), std::nullopt) << "unknown family";
    EXPECT_EQ(settings.windowColor(), Color::windowBackground());
    EXPECT_EQ(settings.cookiesAllow(), 0u);
    EXPECT_TRUE(log.contains("\"windowOpacityKey\" has the wrong type"));
    EXPECT_TRUE(log.contains("\"hideTitle\" has the wrong type"));
    EXPECT_TRUE(log.contains("\"windowColor\" is not a colour"));

    const std::vector<std::string> badFiles = {"", "{", "[]", std::string("\x00\x01\x02", 3)};
    for (const std::string& bad : badFiles) {
        givenFile("settings.json", bad);
        VLSettingsManager reloaded;
        EXPECT_EQ(reloaded.windowOpacity(), 100.0);
        EXPECT_TRUE(reloaded.settings().empty());
    }
}

TEST(VLSettingsManager, FailedSaveKeepsTheFileAndCookiePolicyReachesTheEngine) {
    {
        VLSettingsManager settings;
        settings.setHideTitle(true);
        ASSERT_TRUE(settings.saveSettings());
    }
    const std::string before = readFileBytes(settingsFile("settings.json"));
    std::vector<unsigned long> policies;
    {
        VLSettingsManager settings;
        settings.setCookiePolicyHandler([&](unsigned long p) { policies.push_back(p); });
        settings.setCookiesAllow(1);
        settings.setUrl(std::string(200000, 'a'));
        FileSizeLimit fullDisk(128);
        LogCapture log;
        EXPECT_FALSE(settings.saveSettings());
        EXPECT_TRUE(log.contains("error:"));
        EXPECT_EQ(readFileBytes(settingsFile("settings.json")), before);
        settings.setUrl(std::nullopt);  // so the save on destruction fits
    }
    EXPECT_EQ(policies, (std::vector<unsigned long>{0, 1}));
}

TEST(VLSettingsManager, LockedAccessFromSeveralThreads) {
    VLSettingsManager settings;
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        while (!stop) {
            settings.pathToDownloadsFolder();
            settings.windowOpacity();
            settings.getMainUrl();
        }
    });
    for (int i = 0; i < 2000; ++i) {
        settings.setPathToDownloadFolder("/tmp/d" + std::to_string(i));
        settings.setWindowOpacity(i / 2000.0);
        if (i % 500 == 0) {
            settings.saveSettings();
        }
    }
    stop = true;
    reader.join();
    EXPECT_EQ(settings.pathToDownloadsFolder(), "/tmp/d1999");
}

TEST(VLSettingsManager, GlobalShortcutBindsToShowWindow) {
    UserDefaults::standard().setString("globalShortcutKey", "<Control><Alt>space");
    std::string bound;
    std::function<void()> action;
    VLSettingsManager::setShortcutBinder([&](const std::string& accel, std::function<void()> a) {
        bound = accel;
        action = std::move(a);
        return true;
    });
    VLSettingsManager settings;
    EXPECT_EQ(bound, "<Control><Alt>space");
    int shown = 0;
    auto observer = NotificationCenter::defaultCenter().addObserver(
        "showWindow", [&](const Notification&) { ++shown; });
    ASSERT_TRUE(action);
    action();
    EXPECT_EQ(shown, 1);

    VLSettingsManager::setShortcutBinder(nullptr);
    LogCapture log;
    settings.registerShortCut();
    settings.registerShortCut();
    EXPECT_EQ(log.count("global shortcut not bound"), 1u) << "logged once";
}

TEST(VLSettingsManager, SaveIconWritesA128PixelIcnsAndKeepsOldIconOnFailure) {
    std::optional<Size> appliedSize;
    VLSettingsManager::setApplicationIconHandler(
        [&](const Image& icon) { appliedSize = icon.size(); });
    VLSettingsManager settings;
    Error error;
    ASSERT_TRUE(settings.saveIcon(solidImage(512, 512), &error));
    const std::string icon = Bundle::main().resourcePath() + "/AppIcon.icns";
    const std::string bytes = readFileBytes(icon);
    ASSERT_GT(bytes.size(), 16u);
    EXPECT_EQ(bytes.substr(0, 4), "icns");
    EXPECT_EQ(bytes.substr(8, 4), "ic07");
    auto loaded = Image::fromFile(icon);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->pixelWidth(), 128);
    EXPECT_EQ(loaded->pixelHeight(), 128);
    EXPECT_EQ(appliedSize, (Size{512, 512})) << "the unresized image becomes the app icon";

    // An image without a bitmap: error code 2, the old icon stays.
    appliedSize.reset();
    LogCapture log;
    EXPECT_FALSE(settings.saveIcon(Image(), &error));
    EXPECT_EQ(error.code, 2);
    EXPECT_EQ(error.localizedDescription, "Error creating icon.");
    EXPECT_TRUE(log.contains("Error writing to AppIcon.icns."));
    EXPECT_EQ(readFileBytes(icon), bytes);
    EXPECT_FALSE(appliedSize);

    UnwritableFolder readOnly(Bundle::main().resourcePath());
    if (readOnly.active()) {
        EXPECT_FALSE(settings.saveIcon(solidImage(64, 64), &error));
        EXPECT_EQ(readFileBytes(icon), bytes);
    }
}
