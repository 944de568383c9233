#pragma once

#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "foundation/Color.h"
#include "foundation/Error.h"
#include "foundation/FontSpec.h"
#include "foundation/Url.h"

class Image;

// General and appearance settings (settings.json). Usable from any thread: live getters, setters
// and the serialisation of saveSettings hold the store's (non-recursive) lock.
class VLSettingsManager {
  public:
    // Binds an accelerator ("<Control><Alt>space"; empty unbinds) to an action; false when the
    // binding failed. Installed by the desktop layer.
    using ShortcutBinder =
        std::function<bool(const std::string& accelerator, std::function<void()> action)>;
    using IconHandler = std::function<void(const Image& icon)>;
    using CookiePolicyHandler = std::function<void(unsigned long policy)>;

    static VLSettingsManager& sharedManager();
    // loadSettings, registerShortCut, loadValues, in that order.
    VLSettingsManager();
    // Saves before going away (the shared instance never does).
    ~VLSettingsManager();
    VLSettingsManager(const VLSettingsManager&) = delete;
    VLSettingsManager& operator=(const VLSettingsManager&) = delete;

    // Installed with the desktop services (DesktopIntegration, from AppDelegate::installHooks in
    // src/app/AppDelegateHooks.cpp).
    static void setShortcutBinder(ShortcutBinder binder);
    static void setApplicationIconHandler(IconHandler handler);
    // The web engine's cookie manager registers here; it is told the current policy at once and
    // every new one after.
    void setCookiePolicyHandler(CookiePolicyHandler handler);

    std::string settingsFilePath() const;
    void loadSettings();
    void loadValues();
    // False (with a log line) when the file could not be written; the old file then stays.
    bool saveSettings();

    // Live getters: read the dictionary under the lock on every call.
    std::optional<Url> getMainUrl();
    bool openEmptyPage();
    std::string pathToDownloadsFolder();
    double windowOpacity();
    long windowLevel();
    bool windowShadow();
    bool autoWindowColor();
    bool hideTitle();
    bool hideTitleIcon();
    bool hideTitlebar();
    bool hideToolbarButton();
    bool hidePreferences();

    // Cached getters: the value of the last load or setter.
    std::optional<FontSpec> standardFont() const;
    Color windowColor() const;
    bool hideProgressBar() const;
    bool enablePlugins() const;
    bool enableJavaScript() const;
    bool blockPopupWindow() const;
    bool blockAds() const;
    unsigned long cookiesAllow() const;
    bool selectNewTab() const;
    bool returnToPrior() const;
    bool confirmColseTabs() const;
    bool showBookmarkBar() const;
    long appearance() const;
    double refreshTimeInterval() const;
    bool isWindowColorSystem() const;

    // Setters change memory only; callers save and post the matching notification.
    void setUrl(const std::optional<std::string>& url);
    void setOpenEmptyPage(bool value);
    void setPathToDownloadFolder(const std::string& path);  // "" is ignored
    void setStandardFont(const std::optional<FontSpec>& font);
    void setWindowColor(const Color& color);
    void setAutoWindowColor(bool value);
    void setWindowOpacity(double value);
    void setWindowLevel(long value);
    void setWindowShadow(bool value);
    void setHideTitle(bool value);
    void setHideTitleIcon(bool value);
    void setHideTitlebar(bool value);
    void setHideToolbarButton(bool value);
    void setHidePreferences(bool value);
    void setHideProgressBar(bool value);
    void setEnablePlugins(bool value);
    void setEnableJavaScript(bool value);
    void setBlockPopupWindow(bool value);
    void setBlockAds(bool value);
    void setCookiesAllow(unsigned long value);
    void setSelectNewTab(bool value);
    void setReturnToPrior(bool value);
    void setConfirmColseTabs(bool value);
    void setShowBookmarkBar(bool value);
    void setAppearance(long value);
    void setRefreshTimeInterval(double value);
    void setIsWindowColorSystem(bool value);

    // Binds "globalShortcutKey" from the user defaults to posting "showWindow".
    void registerShortCut();
    // Writes Resources/AppIcon.icns (a 128x128 image) and makes `image` the application icon.
    // On failure `error` gets code 2, "Error creating icon.", and the old icon file stays.
    bool saveIcon(const Image& image, Error* error);

    // A copy of the dictionary (for tests and the preferences).
    nlohmann::json settings() const;

    // Window levels the settings use.
    static constexpr long kNormalWindowLevel = 0;
    static constexpr long kFloatingWindowLevel = 3;
    static constexpr long kDesktopWindowLevel = -2147483623;

  private:
    bool liveFlag(const char* key, bool defaultValue);
    void setValue(const char* key, nlohmann::json value);
    void warnAboutWrongTypes() const;

    mutable std::mutex lock_;
    nlohmann::json settings_ = nlohmann::json::object();

    bool windowShadow_ = true;
    bool autoWindowColor_ = true;
    bool hideTitle_ = false;
    bool hidePreferences_ = false;
    bool hideTitlebar_ = false;
    bool hideToolbarButton_ = false;
    bool hideProgressBar_ = false;
    bool hideTitleIcon_ = false;
    bool enablePlugins_ = false;
    bool enableJavaScript_ = false;
    bool blockPopupWindow_ = true;
    bool blockAds_ = false;
    bool selectNewTab_ = false;
    bool returnToPrior_ = false;
    bool confirmColseTabs_ = false;
    bool showBookmarkBar_ = false;
    bool isWindowColorSystem_ = false;
    double windowOpacity_ = 100.0;
    long windowLevel_ = 0;
    std::optional<FontSpec> standardFont_;
    Color windowColor_;
    long appearance_ = 0;
    unsigned long cookiesAllow_ = 0;
    double refreshTimeInterval_ = 0;
    CookiePolicyHandler cookiePolicyHandler_;
};
