#pragma once

#include <array>

// The tray icon's menu: the same four commands whether the desktop draws it from the exported
// menu or the app pops it up itself. The command is the item's id in the exported menu.
enum class TrayCommand { AddTab = 1, SwitchToRegularMode, Preferences, Quit };

struct TrayMenuItem {
    TrayCommand command;
    const char* title;
};

inline constexpr std::array<TrayMenuItem, 4> kTrayMenuItems = {{
    {TrayCommand::AddTab, "Add Tab"},
    {TrayCommand::SwitchToRegularMode, "Switch to Regular Mode"},
    {TrayCommand::Preferences, "Preferences"},
    {TrayCommand::Quit, "Quit"},
}};
