#include "app/VLCorvaManager.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

#include "app/CorvaDictionary.h"
#include "app/VLCorvaManagerDelegate.h"
#include "foundation/Bundle.h"
#include "foundation/DefaultsKeys.h"
#include "foundation/Log.h"
#include "foundation/NoDestructor.h"
#include "foundation/NotificationCenter.h"
#include "foundation/NotificationNames.h"
#include "foundation/Plist.h"
#include "foundation/UserDefaults.h"
#include "maintenance/ColorString.h"
#include "rules/VLWhiteListManager.h"
#include "stores/VLBehaviorManager.h"
#include "stores/VLSettingsManager.h"

namespace {
constexpr const char* kCreationToolResource = "CorvaCreationToolSettings";
constexpr const char* kEnterpriseResource = "EnterpriseSettings";

// A missing file is an ordinary build; an unreadable one is logged once per process and then
// treated the same way.
CorvaDictionary readResource(const char* name) {
    std::optional<std::string> path = Bundle::main().pathForResource(name, "plist");
    if (!path) {
        return CorvaDictionary();
    }
    std::string error;
    std::optional<nlohmann::json> values = Plist::readFile(*path, &error);
    if (values && !values->is_object()) {
        values.reset();
        error = *path + ": not a dictionary";
    }
    if (!values) {
        Log::once(std::string("corva-plist:") + *path,
                  "Bundle configuration ignored, cannot read " + error);
        return CorvaDictionary();
    }
    return CorvaDictionary(std::move(values));
}

bool isCreationTool(const CorvaDictionary& creationTool) {
    return creationTool.boolean("isCreatedByCorvaCreationTool");
}

CorvaDictionary configuration() {
    CorvaDictionary creationTool = readResource(kCreationToolResource);
    return isCreationTool(creationTool) ? creationTool : readResource(kEnterpriseResource);
}

// An opacity outside 0..1, or none at all, would leave the window invisible or undefined.
double windowOpacity(const CorvaDictionary& dictionary) {
    std::optional<double> opacity = dictionary.number("windowOpacity");
    if (!opacity) {
        return 1.0;
    }
    if (*opacity < 0.0 || *opacity > 1.0) {
        Log::warning("Bundle configuration: \"windowOpacity\" ", *opacity, " kept within 0 to 1");
    }
    return std::clamp(*opacity, 0.0, 1.0);
}

// The leading number of a float reading: blanks, then as much of a decimal number as there is.
double leadingFloat(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    if (i < text.size() && text[i] == '+') {
        ++i;
    }
    double value = 0;
    auto [end, error] = std::from_chars(text.data() + i, text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        return std::numeric_limits<double>::infinity();
    }
    if (error != std::errc()) {
        return 0;
    }
    // Read at float precision; beyond float's range it cannot be a size.
    if (std::fabs(value) > std::numeric_limits<float>::max()) {
        return std::numeric_limits<double>::infinity();
    }
    return static_cast<float>(value);
}
}  // namespace

VLCorvaManager& VLCorvaManager::sharedManager(VLCorvaManagerDelegate& delegate) {
    static NoDestructor<VLCorvaManager> manager;
    // Marked before applying, so a delegate that asks for the manager again gets it as it is.
    if (!manager->applied_) {
        manager->applied_ = true;
        manager->setDefaultSettings(delegate);
    }
    return *manager;
}

bool VLCorvaManager::corvaCreationToolBuild() {
    return isCreationTool(readResource(kCreationToolResource));
}

bool VLCorvaManager::enterpriseBuild() {
    return readResource(kEnterpriseResource).boolean("isEnterpriseApp");
}

std::optional<nlohmann::json> VLCorvaManager::settingDict() {
    return configuration().values();
}

std::string VLCorvaManager::appName() {
    return configuration().string("appName").value_or("Default");
}

double VLCorvaManager::alphaValue() {
    return windowOpacity(configuration());
}

Size VLCorvaManager::corvaCreationToolWindowSize(Size mainScreenSize) {
    CorvaDictionary creationTool = readResource(kCreationToolResource);
    if (!isCreationTool(creationTool)) {
        return mainScreenSize;
    }
    std::optional<std::string> text = creationTool.nonEmptyString("defaultWindowSize");
    if (!text) {
        return mainScreenSize;
    }
    return splitWindowSize(*text).value_or(mainScreenSize);
}

Color VLCorvaManager::colorWithHexColorString(const std::string& text) {
    return ::colorWithHexColorString(text);
}

std::optional<Size> VLCorvaManager::splitWindowSize(const std::string& text) {
    size_t x = text.find('x');
    if (x == std::string::npos) {
        Log::warning("Bundle configuration: window size \"", text, "\" has no x; not used");
        return std::nullopt;
    }
    std::string_view rest = std::string_view(text).substr(x + 1);
    double width = leadingFloat(std::string_view(text).substr(0, x));
    double height = leadingFloat(rest.substr(0, rest.find('x')));
    if (!std::isfinite(width) || !std::isfinite(height) || width <= 0 || height <= 0) {
        Log::warning("Bundle configuration: window size \"", text, "\" is not a size; not used");
        return std::nullopt;
    }
    return Size{width, height};
}

void VLCorvaManager::setDefaultSettings(VLCorvaManagerDelegate& delegate) {
    if (!enterpriseBuild()) {
        return;
    }
    const CorvaDictionary d = configuration();
    VLSettingsManager& settings = VLSettingsManager::sharedManager();
    VLBehaviorManager& behavior = VLBehaviorManager::sharedManager();
    VLWhiteListManager& whiteList = VLWhiteListManager::sharedManager();
    NotificationCenter& center = NotificationCenter::defaultCenter();
    Log::line("Applying the enterprise configuration of the bundle");

    settings.setUrl(d.string("URL"));
    settings.setHideProgressBar(d.boolean("hideProgressBar"));

    switch (d.integer("windowLevel")) {
        case 1:
            settings.setWindowLevel(VLSettingsManager::kFloatingWindowLevel);
            delegate.setFirstWindowLevel(VLSettingsManager::kFloatingWindowLevel);
            break;
        case 2:
            settings.setWindowLevel(VLSettingsManager::kNormalWindowLevel);
            delegate.setFirstWindowLevel(VLSettingsManager::kNormalWindowLevel);
            break;
        default:
            break;
    }

    const bool shadow = d.boolean("windowShadow");
    settings.setWindowShadow(shadow);
    delegate.setFirstWindowShadow(shadow);

    const double opacity = windowOpacity(d);
    settings.setWindowOpacity(opacity);
    delegate.setFirstWindowAlpha(opacity);

    if (std::optional<std::string> hex = d.nonEmptyString("colorHex")) {
        Color color = colorWithHexColorString(*hex);
        delegate.setMainWindowColor(color);
        settings.setIsWindowColorSystem(false);
        settings.setWindowColor(color);
    }

    const bool hideTitle = d.boolean("hideTitle");
    const bool hideTitleIcon = d.boolean("hideTitleIcon");
    const bool hideTitlebar = d.boolean("hideTitlebar");
    const bool hideToolbarButton = d.boolean("hideToolbarButton");
    const bool hidePreferences = d.boolean("hidePreferences");
    settings.setHideTitle(hideTitle);
    settings.setHideTitleIcon(hideTitleIcon);
    settings.setHideTitlebar(hideTitlebar);
    settings.setHideToolbarButton(hideToolbarButton);
    settings.setHidePreferences(hidePreferences);

    center.post(notification::showHideToolbarButton, {},
                {{notification::hideKey, std::any(hideToolbarButton)}});
    if (std::optional<std::string> userAgent = d.nonEmptyString("customUserAgent")) {
        center.post(notification::setCustomUserAnget, std::any(*userAgent));
    }

    delegate.setMainWindowTitle(hideTitle);
    delegate.setMainWindowTitleIcon(hideTitleIcon);
    delegate.setMainWindowTitleBar(hideTitlebar);
    delegate.setStausBarOption(d.boolean("showStatusBarOption"));
    delegate.setHidePreferences(hidePreferences);
    delegate.setUserScriptStyleOption(d.boolean("showUserScriptStyleOption"));
    delegate.setMobileDesktopOption(d.boolean("showMobileDesktopOption"));
    delegate.setBookmark(d.boolean("hideBookmark"));

    if (std::optional<std::string> sizeText = d.nonEmptyString("defaultWindowSize")) {
        if (std::optional<Size> size = splitWindowSize(*sizeText)) {
            delegate.setDefaultWindowSize(*size);
        }
    }

    settings.setEnableJavaScript(true);
    settings.setBlockPopupWindow(true);
    settings.setEnablePlugins(true);
    settings.setCookiesAllow(0);
    settings.saveSettings();

    whiteList.setAllowAll(d.boolean("whiteListAllowAll"));
    whiteList.setAllowPatterns(d.boolean("whiteListAllowPatterns"));
    whiteList.removeAllPatterns();
    for (const std::string& pattern : d.strings("whiteListPatterns")) {
        whiteList.addPattern(pattern);
    }
    whiteList.savePatterns();

    UserDefaults& defaults = UserDefaults::standard();
    defaults.setBool(defaults_key::userNotifications, d.boolean("userNotifications"));
    defaults.setBool(defaults_key::dockBadge, d.boolean("dockBadge"));

    behavior.setCloseApplication(false);
    behavior.setWindowAllSpace(false);
    behavior.setOpenTabInsteadWindow(true);
    behavior.setRestoreWindowsAndTabs(true);
    behavior.setWarnCloseWindows(true);
    behavior.setOpenLinksIn(1);
    behavior.setOpenDefaultLinkInNewTab(true);
    behavior.setAutoRefreshTheViewOnLoad(true);
    behavior.save();
}
