#pragma once

#include <gtkmm/container.h>

// Taking widgets out of containers as GTK does. gtkmm's remove keeps a child that GTK owns (a C
// widget wrapped late, a builder's widget, a row the container made) alive with a reference that
// nothing drops, so each removed web view, header bar or list row would stay in memory for good.
// Widgets that C++ code owns stay alive with their owner's reference.
class Containers {
  public:
    static void remove(Gtk::Container& container, Gtk::Widget& child);
    static void removeChildren(Gtk::Container& container);
};
