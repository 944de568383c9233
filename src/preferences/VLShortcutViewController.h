#pragma once

#include <gtkmm/builder.h>
#include <gtkmm/liststore.h>
#include <gtkmm/treeview.h>

#include "preferences/VLSettingsPane.h"

// The Shortcuts pane (Shortcuts.ui): a table of shortcuts and their addresses. The store is
// replaced from the table, row by row, when the pane hides, and saved.
class VLShortcutViewController : public VLSettingsPane {
  public:
    // Throws MainInterface::MissingObject when the interface lacks a control.
    VLShortcutViewController();
    ~VLShortcutViewController() override;

    Gtk::Widget& view() override { return *view_; }
    void viewDidDisappear() override;

    void add();
    void remove();
    // An edit of the shortcut (column 0) or address (column 1) of a row ended.
    void cellEdited(int column, const Glib::ustring& path, const Glib::ustring& text);

  private:
    Glib::RefPtr<Gtk::Builder> builder_;
    Gtk::Widget* view_ = nullptr;
    Gtk::TreeView* shortcutTable_ = nullptr;
    Glib::RefPtr<Gtk::ListStore> rows_;
};
