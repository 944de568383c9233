#include "browser/WindowRules.h"

#include "browser/UserAgents.h"

WindowRules::CloseAction WindowRules::closeAction(bool onlyWindow, bool closeApplication,
                                                  bool confirmColseTabs, int tabsCount) {
    if (onlyWindow && !closeApplication) {
        return CloseAction::HideApplication;
    }
    if (confirmColseTabs && tabsCount >= 2) {
        return CloseAction::Confirm;
    }
    return CloseAction::Close;
}

std::string WindowRules::userAgentKeyForNewPage(bool mobileVersion,
                                                const std::optional<std::string>& lastUserAnget) {
    if (mobileVersion) {
        return UserAgents::kMobileKey;
    }
    if (!lastUserAnget || lastUserAnget->empty()) {
        return UserAgents::kDefaultKey;
    }
    return *lastUserAnget;
}

std::string WindowRules::appTargetName(const std::string& bundlePath) {
    std::string name = bundlePath;
    while (name.size() > 1 && name.back() == '/') {
        name.pop_back();
    }
    if (auto slash = name.find_last_of('/'); slash != std::string::npos) {
        name = name.substr(slash + 1);
    }
    for (auto at = name.find(".app"); at != std::string::npos; at = name.find(".app", at)) {
        name.erase(at, 4);
    }
    return name;
}
