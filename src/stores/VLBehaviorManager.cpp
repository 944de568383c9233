#include "stores/VLBehaviorManager.h"

#include "foundation/JsonValue.h"
#include "foundation/Log.h"

// The keys of behavior.json, spelled as stored.
namespace key {
constexpr const char* popoverHKey = "POPOVER_H_KEY";
constexpr const char* popoverWKey = "POPOVER_W_KEY";
constexpr const char* autoRefreshTheViewOnLoad = "autoRefreshTheViewOnLoad";
constexpr const char* closeApplication = "closeApplication";
constexpr const char* openDefaultLinkInNewTab = "openDefaultLinkInNewTab";
constexpr const char* openLinksKey = "openLinksKey";
constexpr const char* openOtherWindowInBackground = "openOtherWindowInBackground";
constexpr const char* openTabWindow = "openTabWindow";
constexpr const char* restoreWindowsAndTabs = "restoreWindowsAndTabs";
constexpr const char* statusBarKey = "statusBarKey";
constexpr const char* warnWindowsClose = "warnWindowsClose";
constexpr const char* windowAllSpace = "windowAllSpace";
}  // namespace key

namespace {
constexpr unsigned long kMinimumPopOverSide = 50;
constexpr unsigned long kDefaultPopOverSide = 400;

// Values of the wrong type read as absent; say so once per key and load.
void warnWrongType(const nlohmann::json& json, const char* key, bool ok) {
    if (!ok && json.contains(key)) {
        Log::warning("behavior.json: \"", key, "\" has the wrong type; using the default");
    }
}
}  // namespace

bool VLBehaviorManager::flag(const char* key) const {
    auto value = json_value::boolean(json_, key);
    warnWrongType(json_, key, value.has_value());
    return value.value_or(false);
}

void VLBehaviorManager::loadValues() {
    closeApplication_ = flag(key::closeApplication);
    windowAllSpace_ = flag(key::windowAllSpace);
    mobileVersion_ = flag("mobileVersion");
    openTabInsteadWindow_ = flag(key::openTabWindow);
    openOtherAppInBackground_ = flag(key::openOtherWindowInBackground);
    openDefaultLinkInNewTab_ = flag(key::openDefaultLinkInNewTab);
    autoRefreshTheViewOnLoad_ = flag(key::autoRefreshTheViewOnLoad);
    restoreWindowsAndTabs_ = flag(key::restoreWindowsAndTabs);
    warnCloseWindows_ = flag(key::warnWindowsClose);
    setStatusBarMode(flag(key::statusBarKey));

    auto links = json_value::unsignedInteger(json_, key::openLinksKey);
    warnWrongType(json_, key::openLinksKey, links.has_value());
    openLinksIn_ = static_cast<unsigned long>(links.value_or(0));

    // A negative side counts as too small rather than as a huge unsigned number.
    auto side = [&](const char* key) {
        auto value = json_value::integer(json_, key);
        warnWrongType(json_, key, value.has_value());
        long long v = value.value_or(0);
        return v < static_cast<long long>(kMinimumPopOverSide) ? kDefaultPopOverSide
                                                               : static_cast<unsigned long>(v);
    };
    setPopOverWidth(side(key::popoverWKey));
    setPopOverHeight(side(key::popoverHKey));
}

void VLBehaviorManager::updateToNewFormat() {
    if (hasCurrentVersion()) {
        return;
    }
    // Older files used windowAllSpace for something else; drop it.
    setWindowAllSpace(false);
    saveLoaded();
}

bool VLBehaviorManager::save() {
    json_["version"] = kCurrentVersion;
    return VLManager::save();
}

void VLBehaviorManager::setCloseApplication(bool value) {
    closeApplication_ = value;
    json_[key::closeApplication] = value;
}

void VLBehaviorManager::setWindowAllSpace(bool value) {
    windowAllSpace_ = value;
    json_[key::windowAllSpace] = value;
}

void VLBehaviorManager::setOpenTabInsteadWindow(bool value) {
    openTabInsteadWindow_ = value;
    json_[key::openTabWindow] = value;
}

void VLBehaviorManager::setOpenOtherAppInBackground(bool value) {
    openOtherAppInBackground_ = value;
    openTabInsteadWindow_ = true;
    json_[key::openOtherWindowInBackground] = value;
}

void VLBehaviorManager::setOpenDefaultLinkInNewTab(bool value) {
    openDefaultLinkInNewTab_ = value;
    json_[key::openDefaultLinkInNewTab] = value;
}

void VLBehaviorManager::setAutoRefreshTheViewOnLoad(bool value) {
    autoRefreshTheViewOnLoad_ = value;
    json_[key::autoRefreshTheViewOnLoad] = value;
}

void VLBehaviorManager::setRestoreWindowsAndTabs(bool value) {
    restoreWindowsAndTabs_ = value;
    json_[key::restoreWindowsAndTabs] = value;
}

void VLBehaviorManager::setWarnCloseWindows(bool value) {
    warnCloseWindows_ = value;
    json_[key::warnWindowsClose] = value;
}

void VLBehaviorManager::setStatusBarMode(bool value) {
    statusBarMode_ = value;
    json_[key::statusBarKey] = value;
}

void VLBehaviorManager::setOpenLinksIn(unsigned long value) {
    openLinksIn_ = value;
    json_[key::openLinksKey] = value;
}

void VLBehaviorManager::setPopOverWidth(unsigned long value) {
    popOverWidth_ = value;
    json_[key::popoverWKey] = value;
}

void VLBehaviorManager::setPopOverHeight(unsigned long value) {
    popOverHeight_ = value;
    json_[key::popoverHKey] = value;
}
