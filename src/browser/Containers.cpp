#include "browser/Containers.h"

void Containers::remove(Gtk::Container& container, Gtk::Widget& child) {
    gtk_container_remove(container.gobj(), child.gobj());
}

void Containers::removeChildren(Gtk::Container& container) {
    for (Gtk::Widget* child : container.get_children()) {
        remove(container, *child);
    }
}
