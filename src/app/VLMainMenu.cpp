#include "app/VLMainMenu.h"

#include <gtkmm/accellabel.h>
#include <gtkmm/application.h>
#include <gtkmm/radiomenuitem.h>
#include <gtkmm/separatormenuitem.h>

#include "app/AppDelegate.h"
#include "app/MenuState.h"
#include "browser/MainInterface.h"
#include "foundation/Log.h"
#include "stores/VLBookmarksManager.h"
#include "stores/VLHistoryManager.h"

namespace {
constexpr const char* kItemIds[] = {"appMenuItem",
                                    "aboutItem",
                                    "preferencesItem",
                                    "newWebAppItem",
                                    "statusBarItem",
                                    "hideItem",
                                    "quitItem",
                                    "fileMenuItem",
                                    "newTabItem",
                                    "newWindowItem",
                                    "closeItem",
                                    "printItem",
                                    "editMenuItem",
                                    "findItem",
                                    "editUrlItem",
                                    "userScriptsMenuItem",
                                    "userStylesMenuItem",
                                    "viewMenuItem",
                                    "zoomInItem",
                                    "zoomOutItem",
                                    "resetZoomItem",
                                    "reloadItem",
                                    "showToolbar",
                                    "showBookmark",
                                    "requestMobileVersionMenuItem",
                                    "requestDesktopVersionMenuItem",
                                    "userAgentMenuItem",
                                    "emptyCacheItem",
                                    "statusBarItemInViewMenu",
                                    "dockMonitorItem",
                                    "editDockMonitorItem",
                                    "historyMenuItem",
                                    "bookMarkMenu",
                                    "helpMenuItem",
                                    "helpItem"};

// Shows the application's accelerator for the item's action in its label.
void showAccelerator(Gtk::MenuItem& item) {
    auto application = Gtk::Application::get_default();
    auto* app = dynamic_cast<Gtk::Application*>(application.get());
    const char* name = gtk_actionable_get_action_name(GTK_ACTIONABLE(item.gobj()));
    const Glib::ustring action = name ? name : "";
    auto* label = dynamic_cast<Gtk::AccelLabel*>(item.get_child());
    if (!app || action.empty() || !label) {
        return;
    }
    std::vector<Glib::ustring> accels = app->get_accels_for_action(action);
    if (accels.empty()) {
        return;
    }
    guint key = 0;
    GdkModifierType modifiers{};
    gtk_accelerator_parse(accels.front().c_str(), &key, &modifiers);
    gtk_accel_label_set_accel(label->gobj(), key, modifiers);
}
}  // namespace

VLMainMenu::VLMainMenu(AppDelegate& app, const std::vector<std::string>& userAgentNames)
    : app_(app), builder_(MainInterface::builderFor({"MainMenu"})) {
    if (!builder_) {
        menuBar_ = std::make_unique<Gtk::MenuBar>();
        Log::warningLine("the main menu is missing from Main.ui");
        return;
    }
    try {
        menuBar_.reset(&MainInterface::require<Gtk::MenuBar>(builder_, "MainMenu"));
        historyMenu_ = &MainInterface::require<Gtk::Menu>(builder_, "historyMenu");
        bookmarksMenu_ = &MainInterface::require<Gtk::Menu>(builder_, "bookmakmenu");
        userAgentMenu_ = &MainInterface::require<Gtk::Menu>(builder_, "userAgentMenu");
    } catch (const MainInterface::MissingObject& missing) {
        MainInterface::reportMissing(missing);
        if (!menuBar_) {
            menuBar_ = std::make_unique<Gtk::MenuBar>();
        }
        builder_.reset();
        return;
    }
    for (const char* id : kItemIds) {
        if (Gtk::MenuItem* menuItem = item(id)) {
            showAccelerator(*menuItem);
        }
    }
    historyMenu_->signal_show().connect([this] { rebuildHistoryMenu(); });
    bookmarksMenu_->signal_show().connect([this] { rebuildBookmarksMenu(); });

    Gtk::RadioMenuItem::Group group;
    for (const std::string& name : userAgentNames) {
        auto* agent = Gtk::manage(new Gtk::RadioMenuItem(group, name));
        agent->signal_toggled().connect([this, agent, name] {
            if (!updatingChecks_ && agent->get_active()) {
                app_.agentClick(name);
            }
        });
        userAgentMenu_->append(*agent);
    }
    userAgentMenu_->show_all();
    rebuildHistoryMenu();
    rebuildBookmarksMenu();
}

VLMainMenu::~VLMainMenu() = default;

Gtk::MenuItem* VLMainMenu::item(const std::string& id) {
    Glib::RefPtr<Glib::Object> object;
    if (builder_) {
        object = builder_->get_object(id);
    }
    return dynamic_cast<Gtk::MenuItem*>(object.get());
}

void VLMainMenu::apply(const MenuState& state) {
    for (const char* id : kItemIds) {
        if (Gtk::MenuItem* menuItem = item(id)) {
            menuItem->set_visible(!state.isHidden(id));
        }
    }
    for (const auto& [id, title] : state.titles) {
        if (Gtk::MenuItem* menuItem = item(id)) {
            menuItem->set_label(title);
        }
    }
    updatingChecks_ = true;
    bool matched = false;
    for (Gtk::Widget* child : userAgentMenu_->get_children()) {
        if (auto* agent = dynamic_cast<Gtk::RadioMenuItem*>(child)) {
            const bool current = agent->get_label() == state.userAgent;
            matched = matched || current;
            agent->set_active(current);
        }
    }
    // A radio group always has one item on; with no match none should look chosen.
    if (!matched) {
        for (Gtk::Widget* child : userAgentMenu_->get_children()) {
            if (auto* agent = dynamic_cast<Gtk::RadioMenuItem*>(child)) {
                agent->set_inconsistent(true);
            }
        }
    } else {
        for (Gtk::Widget* child : userAgentMenu_->get_children()) {
            if (auto* agent = dynamic_cast<Gtk::RadioMenuItem*>(child)) {
                agent->set_inconsistent(false);
            }
        }
    }
    updatingChecks_ = false;
}

Gtk::MenuItem& VLMainMenu::addItem(Gtk::Menu& menu, const std::string& title, const char* action,
                                   const char* accelerator) {
    auto* menuItem = Gtk::manage(new Gtk::MenuItem(title));
    if (action) {
        gtk_actionable_set_action_name(GTK_ACTIONABLE(menuItem->gobj()), action);
    }
    if (accelerator) {
        guint key = 0;
        GdkModifierType modifiers{};
        gtk_accelerator_parse(accelerator, &key, &modifiers);
        if (auto* label = dynamic_cast<Gtk::AccelLabel*>(menuItem->get_child())) {
            gtk_accel_label_set_accel(label->gobj(), key, modifiers);
        }
    } else if (action) {
        showAccelerator(*menuItem);
    }
    menu.append(*menuItem);
    menuItem->show();
    return *menuItem;
}

void VLMainMenu::addSeparator(Gtk::Menu& menu) {
    auto* separator = Gtk::manage(new Gtk::SeparatorMenuItem());
    menu.append(*separator);
    separator->show();
}

void VLMainMenu::clear(Gtk::Menu& menu) {
    for (Gtk::Widget* child : menu.get_children()) {
        delete child;
    }
}

void VLMainMenu::rebuildHistoryMenu() {
    clear(*historyMenu_);
    addItem(*historyMenu_, "Back", "app.back");
    addItem(*historyMenu_, "Forward", "app.forward");
    addItem(*historyMenu_, "Home", "app.home");
    addSeparator(*historyMenu_);
    const std::vector<std::string> names = VLHistoryManager::sharedManager().sortedByDateNames();
    for (const std::string& name : names) {
        Gtk::MenuItem& entry = addItem(*historyMenu_, name, nullptr);
        entry.set_use_underline(false);
        entry.signal_activate().connect([this, name] { app_.itemClick(name); });
    }
    if (!names.empty()) {
        addSeparator(*historyMenu_);
        addItem(*historyMenu_, "Clear History", "app.clear-history");
    }
}

void VLMainMenu::rebuildBookmarksMenu() {
    clear(*bookmarksMenu_);
    addItem(*bookmarksMenu_, "Add bookmark", "app.add-bookmark");
    const std::vector<std::string> names = VLBookmarksManager::sharedManager().bookmarks();
    Gtk::MenuItem& remove = addItem(*bookmarksMenu_, "Remove bookmark", "app.remove-bookmark");
    // Enabled only with something to remove.
    if (names.empty()) {
        gtk_actionable_set_action_name(GTK_ACTIONABLE(remove.gobj()), nullptr);
        remove.set_sensitive(false);
    }
    addSeparator(*bookmarksMenu_);
    for (const std::string& name : names) {
        Gtk::MenuItem& entry = addItem(*bookmarksMenu_, name, nullptr);
        entry.set_use_underline(false);
        entry.signal_activate().connect([this, name] { app_.bookmarkClick(name); });
    }
}

std::vector<std::string> VLMainMenu::titles(Gtk::Menu& menu) {
    std::vector<std::string> titles;
    for (Gtk::Widget* child : menu.get_children()) {
        if (!child->get_visible()) {
            continue;
        }
        if (dynamic_cast<Gtk::SeparatorMenuItem*>(child)) {
            titles.emplace_back("-");
        } else if (auto* menuItem = dynamic_cast<Gtk::MenuItem*>(child)) {
            titles.emplace_back(menuItem->get_label());
        }
    }
    return titles;
}
