#pragma once

#include <gtkmm/builder.h>
#include <gtkmm/menu.h>
#include <gtkmm/menubar.h>
#include <gtkmm/menuitem.h>

#include <memory>
#include <string>
#include <vector>

struct MenuState;
class AppDelegate;

// One window's menu bar, made from Main.ui's "MainMenu". Its History and Bookmarks menus are
// rebuilt from their stores each time they open; the User Agent menu lists the agent table.
class VLMainMenu {
  public:
    VLMainMenu(AppDelegate& app, const std::vector<std::string>& userAgentNames);
    ~VLMainMenu();
    VLMainMenu(const VLMainMenu&) = delete;
    VLMainMenu& operator=(const VLMainMenu&) = delete;

    Gtk::MenuBar& menuBar() { return *menuBar_; }
    Gtk::MenuItem* item(const std::string& id);
    // Applies hidden items, titles and the user-agent check mark.
    void apply(const MenuState& state);

    // Filled on opening; public so commands and tests can rebuild them.
    void rebuildHistoryMenu();
    void rebuildBookmarksMenu();
    Gtk::Menu& historyMenu() { return *historyMenu_; }
    Gtk::Menu& bookmarksMenu() { return *bookmarksMenu_; }
    Gtk::Menu& userAgentMenu() { return *userAgentMenu_; }
    // Titles of a menu's items (separators as "-", hidden items left out).
    static std::vector<std::string> titles(Gtk::Menu& menu);

  private:
    Gtk::MenuItem& addItem(Gtk::Menu& menu, const std::string& title, const char* action,
                           const char* accelerator = nullptr);
    void addSeparator(Gtk::Menu& menu);
    static void clear(Gtk::Menu& menu);

    AppDelegate& app_;
    Glib::RefPtr<Gtk::Builder> builder_;
    std::unique_ptr<Gtk::MenuBar> menuBar_;
    Gtk::Menu* historyMenu_ = nullptr;
    Gtk::Menu* bookmarksMenu_ = nullptr;
    Gtk::Menu* userAgentMenu_ = nullptr;
    bool updatingChecks_ = false;
};
