#pragma once

#include <gtkmm/liststore.h>
#include <gtkmm/treeview.h>

#include <string>

// Row helpers for the preference panes' list tables (a GtkListStore behind a GtkTreeView).
class ListRows {
  public:
    static std::string text(const Glib::RefPtr<Gtk::ListStore>& store,
                            const Gtk::TreeModel::iterator& row, int column);
    static void setText(const Glib::RefPtr<Gtk::ListStore>& store,
                        const Gtk::TreeModel::iterator& row, int column, const std::string& text);
    static bool flag(const Glib::RefPtr<Gtk::ListStore>& store, const Gtk::TreeModel::iterator& row,
                     int column);
    static void setFlag(const Glib::RefPtr<Gtk::ListStore>& store,
                        const Gtk::TreeModel::iterator& row, int column, bool value);
    // The selected row's index; -1 when none is.
    static int selectedIndex(Gtk::TreeView& table);
    // Selects the row at `index`, or the last one when there are fewer rows.
    static void selectNear(Gtk::TreeView& table, int index);
    // Selects the row and puts its text in `column` (a view column) in editing.
    static void edit(Gtk::TreeView& table, int index, int column);
};
