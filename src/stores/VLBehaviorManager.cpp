#include "stores/VLBehaviorManager.h"

#include "foundation/JsonValue.h"
#include "foundation/Log.h"

namespace {
constexpr unsigned long kMinimumPopOverSide = 50;
constexpr unsigned long kDefaultPopOverSide = 400;

// Values of the wrong type read as absent; say so once per key and load.
void warnWrongType(const nlohmann::json& json, const char* key, bool ok) {
    if (!ok && json.contains(key)) {
        Log::print("behavior.json: \"", key, "\" has the wrong type; using the default");
    }
}
}  // namespace

bool VLBehaviorManager::flag(const char* key) const {
    auto value = json_value::boolean(json_, key);
    warnWrongType(json_, key, value.has_value());
    return value.value_or(false);
}

void VLBehaviorManager::loadValues() {
    closeApplication_ = flag("closeApplication");
    windowAllSpace_ = flag("windowAllSpace");
    mobileVersion_ = flag("mobileVersion");
    openTabInsteadWindow_ = flag("openTabWindow");
    openOtherAppInBackground_ = flag("openOtherWindowInBackground");
    openDefaultLinkInNewTab_ = flag("openDefaultLinkInNewTab");
    autoRefreshTheViewOnLoad_ = flag("autoRefreshTheViewOnLoad");
    restoreWindowsAndTabs_ = flag("restoreWindowsAndTabs");
    warnCloseWindows_ = flag("warnWindowsClose");
    setStatusBarMode(flag("statusBarKey"));

    auto links = json_value::unsignedInteger(json_, "openLinksKey");
    warnWrongType(json_, "openLinksKey", links.has_value());
    openLinksIn_ = static_cast<unsigned long>(links.value_or(0));

    // A negative side counts as too small rather than as a huge unsigned number.
    auto side = [&](const char* key) {
        auto value = json_value::integer(json_, key);
        warnWrongType(json_, key, value.has_value());
        long long v = value.value_or(0);
        return v < static_cast<long long>(kMinimumPopOverSide) ? kDefaultPopOverSide
                                                               : static_cast<unsigned long>(v);
    };
    setPopOverWidth(side("POPOVER_W_KEY"));
    setPopOverHeight(side("POPOVER_H_KEY"));
}

void VLBehaviorManager::updateToNewFormat() {
    if (hasCurrentVersion()) {
        return;
    }
    // Older files used windowAllSpace for something else; drop it.
    setWindowAllSpace(false);
    save();
}

bool VLBehaviorManager::save() {
    json_["version"] = kCurrentVersion;
    return VLManager::save();
}

void VLBehaviorManager::setCloseApplication(bool value) {
    closeApplication_ = value;
    json_["closeApplication"] = value;
}

void VLBehaviorManager::setWindowAllSpace(bool value) {
    windowAllSpace_ = value;
    json_["windowAllSpace"] = value;
}

void VLBehaviorManager::setOpenTabInsteadWindow(bool value) {
    openTabInsteadWindow_ = value;
    json_["openTabWindow"] = value;
}

void VLBehaviorManager::setOpenOtherAppInBackground(bool value) {
    openOtherAppInBackground_ = value;
    openTabInsteadWindow_ = true;
    json_["openOtherWindowInBackground"] = value;
}

void VLBehaviorManager::setOpenDefaultLinkInNewTab(bool value) {
    openDefaultLinkInNewTab_ = value;
    json_["openDefaultLinkInNewTab"] = value;
}

void VLBehaviorManager::setAutoRefreshTheViewOnLoad(bool value) {
    autoRefreshTheViewOnLoad_ = value;
    json_["autoRefreshTheViewOnLoad"] = value;
}

void VLBehaviorManager::setRestoreWindowsAndTabs(bool value) {
    restoreWindowsAndTabs_ = value;
    json_["restoreWindowsAndTabs"] = value;
}

void VLBehaviorManager::setWarnCloseWindows(bool value) {
    warnCloseWindows_ = value;
    json_["warnWindowsClose"] = value;
}

void VLBehaviorManager::setStatusBarMode(bool value) {
    statusBarMode_ = value;
    json_["statusBarKey"] = value;
}

void VLBehaviorManager::setOpenLinksIn(unsigned long value) {
    openLinksIn_ = value;
    json_["openLinksKey"] = value;
}

void VLBehaviorManager::setPopOverWidth(unsigned long value) {
    popOverWidth_ = value;
    json_["POPOVER_W_KEY"] = value;
}

void VLBehaviorManager::setPopOverHeight(unsigned long value) {
    popOverHeight_ = value;
    json_["POPOVER_H_KEY"] = value;
}
