#pragma once

#include <map>
#include <set>
#include <string>

// What the main menus show across windows: hidden items, retitled items and the chosen user
// agent. Every window's menu bar follows it, including menu bars made later.
struct MenuState {
    std::set<std::string> hidden{"editDockMonitorItem"};  // no square to adjust yet
    std::map<std::string, std::string> titles;
    std::string userAgent;

    void setHidden(const std::string& item, bool hide) {
        if (hide) {
            hidden.insert(item);
        } else {
            hidden.erase(item);
        }
    }
    bool isHidden(const std::string& item) const { return hidden.count(item) > 0; }
};
