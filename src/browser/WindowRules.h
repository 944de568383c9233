#pragma once

#include <map>
#include <optional>
#include <string>

// Decisions of the main window and its tabs that need no toolkit.
class WindowRules {
  public:
    enum class CloseAction { HideApplication, Confirm, Close };

    // The only window with closeApplication off hides the app (no question asked); a window of
    // two or more tabs asks first when confirmColseTabs is on; otherwise it closes.
    static CloseAction closeAction(bool onlyWindow, bool closeApplication, bool confirmColseTabs,
                                   int tabsCount);

    // The user-agent key for a new page: "iPhone" in mobile mode, else the stored choice, or
    // "Safari-Mac" when none is stored.
    static std::string userAgentKeyForNewPage(bool mobileVersion,
                                              const std::optional<std::string>& lastUserAnget);

    // The bundle folder's name with every ".app" removed ("My.app.app" gives "My").
    static std::string appTargetName(const std::string& bundlePath);

    // The window title: the app's name, or a single space when the title is hidden.
    static std::string title(const std::string& appName, bool hideTitle) {
        return hideTitle ? " " : appName;
    }
};
