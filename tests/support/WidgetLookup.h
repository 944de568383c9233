#pragma once

#include <gtkmm/widget.h>

#include <stdexcept>
#include <string>

// Finds a widget made from an interface file by its id (the builder's name for it) anywhere
// inside `root`, internal children included.
Gtk::Widget* findWidget(Gtk::Widget& root, const std::string& id);

template <class T>
T& widgetIn(Gtk::Widget& root, const std::string& id) {
    auto* found = dynamic_cast<T*>(findWidget(root, id));
    if (!found) {
        throw std::runtime_error("no widget \"" + id + "\" of the expected kind");
    }
    return *found;
}
