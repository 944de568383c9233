#include "WidgetLookup.h"

#include <gtk/gtk.h>

namespace {
struct Search {
    const std::string* id;
    GtkWidget* found;
};

void visit(GtkWidget* widget, gpointer data) {
    auto* search = static_cast<Search*>(data);
    if (search->found) {
        return;
    }
    const char* name = gtk_buildable_get_name(GTK_BUILDABLE(widget));
    if (name && *search->id == name) {
        search->found = widget;
        return;
    }
    if (GTK_IS_CONTAINER(widget)) {
        gtk_container_forall(GTK_CONTAINER(widget), visit, data);
    }
}
}  // namespace

Gtk::Widget* findWidget(Gtk::Widget& root, const std::string& id) {
    Search search{&id, nullptr};
    visit(root.gobj(), &search);
    return search.found ? Glib::wrap(search.found) : nullptr;
}
