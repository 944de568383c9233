#pragma once

#include <gtkmm/builder.h>
#include <gtkmm/button.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/liststore.h>
#include <gtkmm/radiobutton.h>
#include <gtkmm/treeview.h>

#include <optional>
#include <string>

#include "preferences/VLSettingsPane.h"

// The White List pane (WhiteList.ui): every site, or the patterns of the list, allowed or
// refused, with their subdomains; and whether refused links open in the background. Patterns
// reach the store as their edit ends, trimmed; the whitelist is saved when the pane hides.
class VLWhiteListViewController : public VLSettingsPane {
  public:
    // Throws MainInterface::MissingObject when the interface lacks a control.
    VLWhiteListViewController();
    ~VLWhiteListViewController() override;

    Gtk::Widget& view() override { return *view_; }
    void viewDidDisappear() override;

    // A row's edit ended with `text` (the table's own editing ends here too).
    void patternEdited(const Glib::ustring& path, const Glib::ustring& text);
    void add();
    void remove();

  private:
    void loadValues();
    void reloadPatterns(const std::optional<std::string>& select);
    void enableList(bool enabled);
    void dropEmptyRow(const Glib::ustring& path);

    Glib::RefPtr<Gtk::Builder> builder_;
    Gtk::Widget* view_ = nullptr;
    Gtk::RadioButton* allowAllRadio_ = nullptr;
    Gtk::RadioButton* allowPatternsRadio_ = nullptr;
    Gtk::ComboBoxText* allowPopUp_ = nullptr;
    Gtk::CheckButton* allowSubdomainsCheck_ = nullptr;
    Gtk::TreeView* patternTable_ = nullptr;
    Glib::RefPtr<Gtk::ListStore> patterns_;
    Gtk::Button* addButton_ = nullptr;
    Gtk::Button* removeButton_ = nullptr;
    bool loading_ = false;
};
