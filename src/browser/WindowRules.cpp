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
