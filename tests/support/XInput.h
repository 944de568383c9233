#pragma once

#include <gtkmm/widget.h>

// Real input through the X server (XTest), as a user's pointer and keyboard would give it.
class XInput {
  public:
    // Clicks `button` at (x, y) in the widget's coordinates, with Control held when asked.
    static void click(Gtk::Widget& widget, int x, int y, unsigned button, bool control = false);
    // Presses and releases a key (an X keysym name such as "Return").
    static void key(const char* keysym);
    // Plugs in a second pointer and keyboard (a new seat) named `name`; returns its pointer's
    // id, which unplugs it.
    static int addSeat(const char* name);
    static void removeSeat(int pointerId);
};
