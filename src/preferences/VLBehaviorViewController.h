#pragma once

#include <gtkmm/builder.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/entry.h>
#include <gtkmm/radiobutton.h>

#include "preferences/VLSettingsPane.h"

// The Behaviour pane (Behavior.ui): what closing the last window does, where windows and links
// open, restoring and warnings (the behaviour store), and the automatic refresh interval (the
// settings store). Both stores are saved when the pane hides; a changed interval is announced
// then.
class VLBehaviorViewController : public VLSettingsPane {
  public:
    // Throws MainInterface::MissingObject when the interface lacks a control.
    VLBehaviorViewController();
    ~VLBehaviorViewController() override;

    Gtk::Widget& view() override { return *view_; }
    void viewDidAppear() override;
    void viewDidDisappear() override;

  private:
    void loadValues();

    Glib::RefPtr<Gtk::Builder> builder_;
    Gtk::Widget* view_ = nullptr;
    Gtk::RadioButton* closeWindowRadio_ = nullptr;
    Gtk::RadioButton* hideWindowRadio_ = nullptr;
    Gtk::ComboBoxText* windowSpacePopUp_ = nullptr;
    Gtk::RadioButton* linkButtons_[4] = {};
    Gtk::Entry* refreshField_ = nullptr;
    double initialRefreshInterval_ = 0;
    bool loading_ = false;
};
