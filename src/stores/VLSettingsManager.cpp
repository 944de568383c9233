#include "stores/VLSettingsManager.h"

#include <cmath>
#include <cstdint>

#include "foundation/Bundle.h"
#include "foundation/DefaultsKeys.h"
#include "foundation/Files.h"
#include "foundation/JsonFile.h"
#include "foundation/JsonValue.h"
#include "foundation/Log.h"
#include "foundation/NoDestructor.h"
#include "foundation/NotificationCenter.h"
#include "foundation/NotificationNames.h"
#include "foundation/Paths.h"
#include "foundation/TypedAddress.h"
#include "foundation/UserDefaults.h"
#include "maintenance/ColorString.h"
#include "maintenance/IcnsWriter.h"
#include "maintenance/Image.h"
#include "maintenance/VellError.h"
#include "stores/VLFileManager.h"

// The keys of settings.json, spelled as stored (misspellings included).
namespace key {
constexpr const char* mainUrl = "main_url";
constexpr const char* openEmptyPage = "openEmptyPage;";
constexpr const char* downloads = "downloads";
constexpr const char* fontName = "fontName";
constexpr const char* fontSize = "fontSize";
constexpr const char* windowColor = "windowColor";
constexpr const char* autowindowColor = "autowindowColor";
constexpr const char* windowOpacityKey = "windowOpacityKey";
constexpr const char* windowLevelKey = "windowLevelKey";
constexpr const char* windowHasShadow = "windowHasShadow";
constexpr const char* hideTitle = "hideTitle";
constexpr const char* hideTitleIcon = "hideTitleIcon";
constexpr const char* hideTitlebar = "hideTitlebar";
constexpr const char* hideToolbarButton = "hideToolbarButton";
constexpr const char* hidePreferences = "hidePreferences";
constexpr const char* hideProgressBar = "hideProgressBar";
constexpr const char* enablePlugins = "enablePlugins";
constexpr const char* enableJavaScript = "enableJavaScript";
constexpr const char* blockPopupWindoww = "blockPopupWindoww";
constexpr const char* blockAds = "blockAds";
constexpr const char* allowCookies = "allowCookies";
constexpr const char* selectNewTab = "selectNewTab";
constexpr const char* returnToPrior = "returnToPrior";
constexpr const char* confirmBeforeTabsClose = "confirmBeforeTabsClose";
constexpr const char* showBookmark = "showBookmark";
constexpr const char* appearance = "appearance";
constexpr const char* refreshTimeInterval = "refreshTimeInterval";
}  // namespace key

namespace {
VLSettingsManager::ShortcutBinder& shortcutBinder() {
    static NoDestructor<VLSettingsManager::ShortcutBinder> binder;
    return *binder;
}

VLSettingsManager::IconHandler& iconHandler() {
    static NoDestructor<VLSettingsManager::IconHandler> handler;
    return *handler;
}

enum class Kind { String, Boolean, Number };

struct KeySpec {
    const char* key;
    Kind kind;
};

constexpr KeySpec kKeys[] = {
    {key::mainUrl, Kind::String},
    {key::openEmptyPage, Kind::Number},
    {key::downloads, Kind::String},
    {key::fontName, Kind::String},
    {key::fontSize, Kind::Number},
    {key::windowColor, Kind::String},
    {key::autowindowColor, Kind::Boolean},
    {key::windowOpacityKey, Kind::Number},
    {key::windowLevelKey, Kind::Number},
    {key::windowHasShadow, Kind::Boolean},
    {key::hideTitle, Kind::Boolean},
    {key::hideTitleIcon, Kind::Boolean},
    {key::hideTitlebar, Kind::Boolean},
    {key::hideToolbarButton, Kind::Boolean},
    {key::hidePreferences, Kind::Boolean},
    {key::hideProgressBar, Kind::Boolean},
    {key::enablePlugins, Kind::Boolean},
    {key::enableJavaScript, Kind::Boolean},
    {key::blockPopupWindoww, Kind::Boolean},
    {key::blockAds, Kind::Boolean},
    {key::allowCookies, Kind::Number},
    {key::selectNewTab, Kind::Boolean},
    {key::returnToPrior, Kind::Boolean},
    {key::confirmBeforeTabsClose, Kind::Boolean},
    {key::showBookmark, Kind::Boolean},
    {key::appearance, Kind::Number},
    {key::refreshTimeInterval, Kind::Number},
};

bool readable(const nlohmann::json& value, Kind kind) {
    switch (kind) {
        case Kind::String:
            return value.is_string();
        case Kind::Boolean:
            return json_value::asBool(value).has_value();
        case Kind::Number:
            return value.is_number() || value.is_boolean();
    }
    return false;
}

bool flagOf(const nlohmann::json& settings, const char* key, bool defaultValue = false) {
    return json_value::boolean(settings, key).value_or(defaultValue);
}

double finiteOr(std::optional<double> value, double fallback) {
    return value && std::isfinite(*value) ? *value : fallback;
}
}  // namespace

VLSettingsManager& VLSettingsManager::sharedManager() {
    static NoDestructor<VLSettingsManager> manager;
    return *manager;
}

VLSettingsManager::VLSettingsManager() {
    loadSettings();
    registerShortCut();
    loadValues();
}

VLSettingsManager::~VLSettingsManager() {
    saveSettings();
}

void VLSettingsManager::setShortcutBinder(ShortcutBinder binder) {
    shortcutBinder() = std::move(binder);
}

void VLSettingsManager::setApplicationIconHandler(IconHandler handler) {
    iconHandler() = std::move(handler);
}

void VLSettingsManager::setCookiePolicyHandler(CookiePolicyHandler handler) {
    unsigned long policy;
    {
        std::lock_guard guard(lock_);
        cookiePolicyHandler_ = handler;
        policy = cookiesAllow_;
    }
    if (handler) {
        handler(policy);
    }
}

std::string VLSettingsManager::settingsFilePath() const {
    return VLFileManager::getSettingsPath() + "/settings.json";
}

void VLSettingsManager::loadSettings() {
    JsonFile::Loaded loaded = JsonFile::load(settingsFilePath());
    if (!loaded.readError.empty()) {
        Log::print("loadSettings2 ", loaded.readError);
    }
    settings_ = nlohmann::json::object();
    if (loaded.empty) {
        return;
    }
    if (!loaded.error.empty()) {
        Log::warning("loadSettings2 ", loaded.error);
        return;
    }
    if (!loaded.value.is_object()) {
        Log::warning("loadSettings2 settings.json is not a JSON object; using the defaults");
        return;
    }
    settings_ = std::move(loaded.value);
}

void VLSettingsManager::warnAboutWrongTypes() const {
    for (const KeySpec& spec : kKeys) {
        auto it = settings_.find(spec.key);
        if (it != settings_.end() && !readable(*it, spec.kind)) {
            Log::warning("settings.json: \"", spec.key, "\" has the wrong type; using the default");
        }
    }
}

void VLSettingsManager::loadValues() {
    warnAboutWrongTypes();

    auto fontName = json_value::string(settings_, key::fontName);
    double fontSize = finiteOr(json_value::number(settings_, key::fontSize), 0);
    standardFont_ = fontName ? FontSpec::named(*fontName, fontSize) : std::nullopt;

    auto color = json_value::string(settings_, key::windowColor);
    std::optional<Color> parsed;
    if (color && !color->empty()) {
        parsed = colorFromString(*color, Color::Space::DeviceRGB);
        if (!parsed) {
            Log::warning("settings.json: \"windowColor\" is not a colour; using the window colour");
        }
    }
    if (parsed) {
        windowColor_ = *parsed;
    } else {
        windowColor_ = Color::windowBackground();
        autoWindowColor_ = true;
    }

    hideTitle_ = flagOf(settings_, key::hideTitle);
    hideTitleIcon_ = flagOf(settings_, key::hideTitleIcon);
    hideProgressBar_ = flagOf(settings_, key::hideProgressBar);
    enablePlugins_ = flagOf(settings_, key::enablePlugins);
    enableJavaScript_ = flagOf(settings_, key::enableJavaScript);
    // Pop-ups stay blocked until the user allows them.
    blockPopupWindow_ = flagOf(settings_, key::blockPopupWindoww, true);
    selectNewTab_ = flagOf(settings_, key::selectNewTab);
    returnToPrior_ = flagOf(settings_, key::returnToPrior);
    confirmColseTabs_ = flagOf(settings_, key::confirmBeforeTabsClose);
    showBookmarkBar_ = flagOf(settings_, key::showBookmark);
    if (auto value = json_value::boolean(settings_, key::hideToolbarButton)) {
        hideToolbarButton_ = *value;
    }
    if (auto value = json_value::boolean(settings_, key::hideTitlebar)) {
        hideTitlebar_ = *value;
    }
    blockAds_ = flagOf(settings_, key::blockAds);

    cookiesAllow_ = static_cast<unsigned long>(
        json_value::unsignedInteger(settings_, key::allowCookies).value_or(0));
    if (cookiePolicyHandler_) {
        cookiePolicyHandler_(cookiesAllow_);
    }
    appearance_ = static_cast<int32_t>(json_value::integer(settings_, key::appearance).value_or(0));
    refreshTimeInterval_ = finiteOr(json_value::number(settings_, key::refreshTimeInterval), 0);
    isWindowColorSystem_ = false;
}

bool VLSettingsManager::saveSettings() {
    const std::string path = settingsFilePath();
    std::string text;
    {
        std::lock_guard guard(lock_);
        text = JsonFile::serialize(settings_);
    }
    if (std::string error = Files::writeAtomically(path, text); !error.empty()) {
        Log::warning("error: ", error);
        return false;
    }
    return true;
}

bool VLSettingsManager::liveFlag(const char* key, bool defaultValue) {
    return flagOf(settings_, key, defaultValue);
}

void VLSettingsManager::setValue(const char* key, nlohmann::json value) {
    settings_[key] = std::move(value);
}

std::optional<Url> VLSettingsManager::getMainUrl() {
    std::string url;
    {
        std::lock_guard guard(lock_);
        url = json_value::string(settings_, key::mainUrl).value_or("");
    }
    if (url.empty()) {
        return std::nullopt;
    }
    return Url::parse(TypedAddress::withScheme(url));
}

bool VLSettingsManager::openEmptyPage() {
    std::lock_guard guard(lock_);
    return json_value::integer(settings_, key::openEmptyPage).value_or(0) != 0;
}

std::string VLSettingsManager::pathToDownloadsFolder() {
    std::string path;
    {
        std::lock_guard guard(lock_);
        path = json_value::string(settings_, key::downloads).value_or("");
    }
    return path.empty() ? Paths::downloadsDirectory() : path;
}

double VLSettingsManager::windowOpacity() {
    std::lock_guard guard(lock_);
    windowOpacity_ = finiteOr(json_value::number(settings_, key::windowOpacityKey), 100.0);
    return windowOpacity_;
}

long VLSettingsManager::windowLevel() {
    std::lock_guard guard(lock_);
    windowLevel_ =
        static_cast<long>(json_value::integer(settings_, key::windowLevelKey).value_or(0));
    return windowLevel_;
}

#define SITEBOX_LIVE_FLAG(getter, field, key, defaultValue) \
    bool VLSettingsManager::getter() {                      \
        std::lock_guard guard(lock_);                       \
        field = liveFlag(key, defaultValue);                \
        return field;                                       \
    }

SITEBOX_LIVE_FLAG(windowShadow, windowShadow_, key::windowHasShadow, true)
SITEBOX_LIVE_FLAG(autoWindowColor, autoWindowColor_, key::autowindowColor, true)
SITEBOX_LIVE_FLAG(hideTitle, hideTitle_, key::hideTitle, false)
SITEBOX_LIVE_FLAG(hideTitleIcon, hideTitleIcon_, key::hideTitleIcon, false)
SITEBOX_LIVE_FLAG(hideTitlebar, hideTitlebar_, key::hideTitlebar, false)
SITEBOX_LIVE_FLAG(hideToolbarButton, hideToolbarButton_, key::hideToolbarButton, false)
SITEBOX_LIVE_FLAG(hidePreferences, hidePreferences_, key::hidePreferences, false)
#undef SITEBOX_LIVE_FLAG

#define SITEBOX_CACHED(type, getter, field)  \
    type VLSettingsManager::getter() const { \
        std::lock_guard guard(lock_);        \
        return field;                        \
    }

SITEBOX_CACHED(std::optional<FontSpec>, standardFont, standardFont_)
SITEBOX_CACHED(Color, windowColor, windowColor_)
SITEBOX_CACHED(bool, hideProgressBar, hideProgressBar_)
SITEBOX_CACHED(bool, enablePlugins, enablePlugins_)
SITEBOX_CACHED(bool, enableJavaScript, enableJavaScript_)
SITEBOX_CACHED(bool, blockPopupWindow, blockPopupWindow_)
SITEBOX_CACHED(bool, blockAds, blockAds_)
SITEBOX_CACHED(unsigned long, cookiesAllow, cookiesAllow_)
SITEBOX_CACHED(bool, selectNewTab, selectNewTab_)
SITEBOX_CACHED(bool, returnToPrior, returnToPrior_)
SITEBOX_CACHED(bool, confirmColseTabs, confirmColseTabs_)
SITEBOX_CACHED(bool, showBookmarkBar, showBookmarkBar_)
SITEBOX_CACHED(long, appearance, appearance_)
SITEBOX_CACHED(double, refreshTimeInterval, refreshTimeInterval_)
SITEBOX_CACHED(bool, isWindowColorSystem, isWindowColorSystem_)
#undef SITEBOX_CACHED

#define SITEBOX_FLAG_SETTER(setter, field, key)  \
    void VLSettingsManager::setter(bool value) { \
        std::lock_guard guard(lock_);            \
        setValue(key, value);                    \
        field = value;                           \
    }

SITEBOX_FLAG_SETTER(setAutoWindowColor, autoWindowColor_, key::autowindowColor)
SITEBOX_FLAG_SETTER(setWindowShadow, windowShadow_, key::windowHasShadow)
SITEBOX_FLAG_SETTER(setHideTitle, hideTitle_, key::hideTitle)
SITEBOX_FLAG_SETTER(setHideTitleIcon, hideTitleIcon_, key::hideTitleIcon)
SITEBOX_FLAG_SETTER(setHideTitlebar, hideTitlebar_, key::hideTitlebar)
SITEBOX_FLAG_SETTER(setHideToolbarButton, hideToolbarButton_, key::hideToolbarButton)
SITEBOX_FLAG_SETTER(setHidePreferences, hidePreferences_, key::hidePreferences)
SITEBOX_FLAG_SETTER(setHideProgressBar, hideProgressBar_, key::hideProgressBar)
SITEBOX_FLAG_SETTER(setEnablePlugins, enablePlugins_, key::enablePlugins)
SITEBOX_FLAG_SETTER(setEnableJavaScript, enableJavaScript_, key::enableJavaScript)
SITEBOX_FLAG_SETTER(setBlockPopupWindow, blockPopupWindow_, key::blockPopupWindoww)
SITEBOX_FLAG_SETTER(setBlockAds, blockAds_, key::blockAds)
SITEBOX_FLAG_SETTER(setSelectNewTab, selectNewTab_, key::selectNewTab)
SITEBOX_FLAG_SETTER(setReturnToPrior, returnToPrior_, key::returnToPrior)
SITEBOX_FLAG_SETTER(setConfirmColseTabs, confirmColseTabs_, key::confirmBeforeTabsClose)
SITEBOX_FLAG_SETTER(setShowBookmarkBar, showBookmarkBar_, key::showBookmark)
#undef SITEBOX_FLAG_SETTER

void VLSettingsManager::setUrl(const std::optional<std::string>& url) {
    std::lock_guard guard(lock_);
    if (url) {
        setValue(key::mainUrl, *url);
    } else {
        settings_.erase(key::mainUrl);
    }
}

void VLSettingsManager::setOpenEmptyPage(bool value) {
    std::lock_guard guard(lock_);
    setValue(key::openEmptyPage, value ? 1 : 0);
}

void VLSettingsManager::setPathToDownloadFolder(const std::string& path) {
    if (path.empty()) {
        return;
    }
    std::lock_guard guard(lock_);
    setValue(key::downloads, path);
}

void VLSettingsManager::setStandardFont(const std::optional<FontSpec>& font) {
    std::lock_guard guard(lock_);
    if (font) {
        setValue(key::fontName, font->family);
        setValue(key::fontSize, font->pointSize);
    } else {
        settings_.erase(key::fontName);
        setValue(key::fontSize, 0);
    }
    standardFont_ = font;
}

void VLSettingsManager::setWindowColor(const Color& color) {
    std::lock_guard guard(lock_);
    windowColor_ = color;
    setValue(key::windowColor, isWindowColorSystem_ ? std::string() : stringRepresentation(color));
}

void VLSettingsManager::setWindowOpacity(double value) {
    std::lock_guard guard(lock_);
    setValue(key::windowOpacityKey, value);
    windowOpacity_ = value;
}

void VLSettingsManager::setWindowLevel(long value) {
    std::lock_guard guard(lock_);
    setValue(key::windowLevelKey, value);
    windowLevel_ = value;
}

void VLSettingsManager::setCookiesAllow(unsigned long value) {
    CookiePolicyHandler handler;
    {
        std::lock_guard guard(lock_);
        setValue(key::allowCookies, value);
        cookiesAllow_ = value;
        handler = cookiePolicyHandler_;
    }
    if (handler) {
        handler(value);
    }
}

void VLSettingsManager::setAppearance(long value) {
    std::lock_guard guard(lock_);
    setValue(key::appearance, value);
    appearance_ = value;
}

void VLSettingsManager::setRefreshTimeInterval(double value) {
    std::lock_guard guard(lock_);
    setValue(key::refreshTimeInterval, value);
    refreshTimeInterval_ = value;
}

void VLSettingsManager::setIsWindowColorSystem(bool value) {
    std::lock_guard guard(lock_);
    isWindowColorSystem_ = value;
}

nlohmann::json VLSettingsManager::settings() const {
    std::lock_guard guard(lock_);
    return settings_;
}

void VLSettingsManager::registerShortCut() {
    const std::string accelerator =
        UserDefaults::standard().stringForKey(defaults_key::globalShortcutKey).value_or("");
    ShortcutBinder& binder = shortcutBinder();
    if (!binder) {
        if (!accelerator.empty()) {
            Log::once("no-shortcut-binder",
                      "global shortcut not bound: no desktop shortcut service in this process");
        }
        return;
    }
    bool bound = binder(accelerator,
                        [] { NotificationCenter::defaultCenter().post(notification::showWindow); });
    if (!bound && !accelerator.empty()) {
        Log::warning("global shortcut \"", accelerator, "\" could not be bound");
    }
}

bool VLSettingsManager::saveIcon(const Image& image, Error* error) {
    const std::string target = Bundle::main().resourcePath() + "/AppIcon.icns";
    std::optional<Image> icon = resizeImage(image, Size{128, 128});
    std::string failure = icon ? IcnsWriter::write(*icon, target) : "the image has no bitmap";
    if (!failure.empty()) {
        Log::warning("Error writing to AppIcon.icns. (", failure, ")");
        if (error) {
            *error = vellErrorWithCode(2, "Error creating icon.");
        }
        return false;
    }
    Log::line("AppIcon.icns created successfully.");
    if (IconHandler& handler = iconHandler()) {
        handler(image);
    }
    return true;
}
