#pragma once

#include <gtkmm/builder.h>
#include <gtkmm/stack.h>
#include <gtkmm/window.h>

#include <memory>
#include <string>
#include <vector>

#include "preferences/VLSettingsPane.h"

// The preferences window (Preferences.ui): the panes General, Appearance, Behaviour, White List,
// User Scripts, User Styles, Shortcuts and About in a stack chosen from a sidebar, the window
// taking each pane's size with a cross-fade. A pane is told when it hides, where it saves what it
// edited: on switching panes, on closing the window and on quitting with the window open. Each
// opening makes the panes anew from the stores.
class VLSettingsTabViewController {
  public:
    enum class Pane {
        General,
        Appearance,
        Behaviour,
        WhiteList,
        UserScripts,
        UserStyles,
        Shortcuts,
        About
    };

    // Opens the window (made when none is open) at `pane`, in front of `parent`.
    static void show(Pane pane, Gtk::Window* parent = nullptr);
    static VLSettingsTabViewController* current();
    // The shown pane saves and the window goes.
    static void closeCurrent();

    ~VLSettingsTabViewController();
    VLSettingsTabViewController(const VLSettingsTabViewController&) = delete;
    VLSettingsTabViewController& operator=(const VLSettingsTabViewController&) = delete;

    Gtk::Window& window() { return *window_; }
    void selectPane(Pane pane);
    // Null for a pane whose interface file could not be loaded.
    VLSettingsPane* pane(Pane pane);
    VLSettingsPane* visiblePane() { return visible_; }

  private:
    struct Entry {
        Pane pane;
        std::string name;
        std::unique_ptr<VLSettingsPane> controller;
    };

    VLSettingsTabViewController();
    void addPane(Pane pane, const char* name, const char* title);
    void visibleChildChanged();

    Glib::RefPtr<Gtk::Builder> builder_;
    std::vector<Entry> panes_;
    Gtk::Stack* stack_ = nullptr;
    VLSettingsPane* visible_ = nullptr;
    // Last: goes first, so no pane outlives the widgets whose signals reach it.
    std::unique_ptr<Gtk::Window> window_;
};
