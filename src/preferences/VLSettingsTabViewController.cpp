#include "preferences/VLSettingsTabViewController.h"

#include <glibmm/main.h>
#include <gtkmm/application.h>
#include <gtkmm/label.h>

#include "browser/MainInterface.h"
#include "foundation/Log.h"
#include "foundation/NoDestructor.h"
#include "preferences/VLAboutViewController.h"
#include "preferences/VLAppearenceViewController.h"
#include "preferences/VLBehaviorViewController.h"
#include "preferences/VLGeneralSettingsViewController.h"
#include "preferences/VLShortcutViewController.h"
#include "preferences/VLUserStylesViewController.h"
#include "preferences/VLWhiteListViewController.h"

namespace {
std::unique_ptr<VLSettingsTabViewController>& slot() {
    static NoDestructor<std::unique_ptr<VLSettingsTabViewController>> controller;
    return *controller;
}

std::unique_ptr<VLSettingsPane> makePane(VLSettingsTabViewController::Pane pane) {
    using Pane = VLSettingsTabViewController::Pane;
    switch (pane) {
        case Pane::General:
            return std::make_unique<VLGeneralSettingsViewController>();
        case Pane::Appearance:
            return std::make_unique<VLAppearenceViewController>();
        case Pane::Behaviour:
            return std::make_unique<VLBehaviorViewController>();
        case Pane::WhiteList:
            return std::make_unique<VLWhiteListViewController>();
        case Pane::UserScripts:
            return std::make_unique<VLUserScriptsViewController>();
        case Pane::UserStyles:
            return std::make_unique<VLUserStylesViewController>();
        case Pane::Shortcuts:
            return std::make_unique<VLShortcutViewController>();
        case Pane::About:
            return std::make_unique<VLAboutViewController>();
    }
    return nullptr;
}
}  // namespace

void VLSettingsTabViewController::show(Pane pane, Gtk::Window* parent) {
    if (!slot()) {
        std::unique_ptr<VLSettingsTabViewController> made(new VLSettingsTabViewController());
        if (!made->window_) {
            return;  // logged: the window's interface file is missing
        }
        slot() = std::move(made);
    }
    VLSettingsTabViewController& controller = *slot();
    if (parent) {
        controller.window_->set_transient_for(*parent);
    }
    controller.selectPane(pane);
    controller.window_->present();
}

VLSettingsTabViewController* VLSettingsTabViewController::current() {
    return slot().get();
}

void VLSettingsTabViewController::closeCurrent() {
    if (!slot()) {
        return;
    }
    std::shared_ptr<VLSettingsTabViewController> closing(slot().release());
    if (closing->visible_) {
        closing->visible_->viewDidDisappear();
        closing->visible_ = nullptr;
    }
    closing->window_->hide();
    // The window's own signal may still be running: it goes once that has returned.
    Glib::signal_idle().connect_once([closing] {});
}

VLSettingsTabViewController::VLSettingsTabViewController()
    : builder_(MainInterface::builderFromFile("Preferences.ui", {"SettingsWindow"})) {
    try {
        window_.reset(&MainInterface::require<Gtk::Window>(builder_, "SettingsWindow"));
        stack_ = &MainInterface::require<Gtk::Stack>(builder_, "paneStack");
    } catch (const MainInterface::MissingObject& missing) {
        Log::warning("Preferences.ui: ", missing.what());
        return;
    }
    addPane(Pane::General, "general", "General");
    addPane(Pane::Appearance, "appearance", "Appearance");
    addPane(Pane::Behaviour, "behaviour", "Behaviour");
    addPane(Pane::WhiteList, "whitelist", "White List");
    addPane(Pane::UserScripts, "scripts", "User Scripts");
    addPane(Pane::UserStyles, "styles", "User Styles");
    addPane(Pane::Shortcuts, "shortcuts", "Shortcuts");
    addPane(Pane::About, "about", "About");
    stack_->property_visible_child().signal_changed().connect([this] { visibleChildChanged(); });
    window_->signal_delete_event().connect([](GdkEventAny*) {
        closeCurrent();
        return true;
    });
    if (auto application = Gtk::Application::get_default()) {
        if (auto* app = dynamic_cast<Gtk::Application*>(application.get())) {
            app->add_window(*window_);
        }
    }
}

VLSettingsTabViewController::~VLSettingsTabViewController() = default;

void VLSettingsTabViewController::addPane(Pane pane, const char* name, const char* title) {
    std::unique_ptr<VLSettingsPane> controller;
    try {
        controller = makePane(pane);
    } catch (const MainInterface::MissingObject& missing) {
        Log::warning("the preferences' ", title,
                     " pane is missing from its interface file: ", missing.what());
    }
    if (controller) {
        const std::string own = controller->title();
        stack_->add(controller->view(), name, own.empty() ? title : own);
    } else {
        auto* notice = Gtk::manage(new Gtk::Label("This pane's interface file is missing."));
        notice->set_margin_top(24);
        notice->set_margin_bottom(24);
        notice->set_margin_start(24);
        notice->set_margin_end(24);
        notice->show();
        stack_->add(*notice, name, title);
    }
    panes_.push_back(Entry{pane, name, std::move(controller)});
}

VLSettingsPane* VLSettingsTabViewController::pane(Pane pane) {
    for (Entry& entry : panes_) {
        if (entry.pane == pane) {
            return entry.controller.get();
        }
    }
    return nullptr;
}

void VLSettingsTabViewController::selectPane(Pane pane) {
    for (Entry& entry : panes_) {
        if (entry.pane == pane) {
            stack_->set_visible_child(entry.name);
        }
    }
    visibleChildChanged();  // the pane may have been the visible one already
}

void VLSettingsTabViewController::visibleChildChanged() {
    const std::string name = stack_->get_visible_child_name();
    VLSettingsPane* shown = nullptr;
    for (Entry& entry : panes_) {
        if (entry.name == name) {
            shown = entry.controller.get();
        }
    }
    if (shown == visible_) {
        return;
    }
    if (visible_) {
        visible_->viewDidDisappear();
    }
    visible_ = shown;
    if (visible_) {
        visible_->viewDidAppear();
    }
}
