#include "preferences/ListRows.h"

#include <algorithm>

#include "foundation/GObjectPtr.h"

std::string ListRows::text(const Glib::RefPtr<Gtk::ListStore>& store,
                           const Gtk::TreeModel::iterator& row, int column) {
    GtkTreeIter iter = *row.gobj();
    gchar* value = nullptr;
    gtk_tree_model_get(GTK_TREE_MODEL(store->gobj()), &iter, column, &value, -1);
    GCharPtr owned(value);
    return owned ? owned.get() : "";
}

void ListRows::setText(const Glib::RefPtr<Gtk::ListStore>& store,
                       const Gtk::TreeModel::iterator& row, int column, const std::string& text) {
    gtk_list_store_set(store->gobj(), const_cast<GtkTreeIter*>(row.gobj()), column, text.c_str(),
                       -1);
}

bool ListRows::flag(const Glib::RefPtr<Gtk::ListStore>& store, const Gtk::TreeModel::iterator& row,
                    int column) {
    GtkTreeIter iter = *row.gobj();
    gboolean value = FALSE;
    gtk_tree_model_get(GTK_TREE_MODEL(store->gobj()), &iter, column, &value, -1);
    return value;
}

void ListRows::setFlag(const Glib::RefPtr<Gtk::ListStore>& store,
                       const Gtk::TreeModel::iterator& row, int column, bool value) {
    gtk_list_store_set(store->gobj(), const_cast<GtkTreeIter*>(row.gobj()), column,
                       static_cast<gboolean>(value), -1);
}

int ListRows::selectedIndex(Gtk::TreeView& table) {
    Gtk::TreeModel::iterator row = table.get_selection()->get_selected();
    if (!row) {
        return -1;
    }
    return Gtk::TreeModel::Path(row)[0];
}

void ListRows::selectNear(Gtk::TreeView& table, int index) {
    const int count = static_cast<int>(table.get_model()->children().size());
    if (count == 0) {
        table.get_selection()->unselect_all();
        return;
    }
    Gtk::TreeModel::Path path;
    path.push_back(std::min(index, count - 1));
    table.get_selection()->select(path);
    table.scroll_to_row(path);
}

void ListRows::edit(Gtk::TreeView& table, int index, int column) {
    if (index < 0 || !table.get_column(column)) {
        return;
    }
    Gtk::TreeModel::Path path;
    path.push_back(index);
    table.grab_focus();
    table.set_cursor(path, *table.get_column(column), true);
}
