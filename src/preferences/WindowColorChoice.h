#pragma once

#include <gdkmm/rgba.h>

#include "foundation/Color.h"

// What choosing a window colour, or going back to the desktop's, does to the settings and to
// every open main window; shared by the Appearance pane and the window-colour view.
class WindowColorChoice {
  public:
    // The colour a colour well shows: the stored one, or the desktop's window background.
    static Gdk::RGBA current();
    // The well's colour for every window and the store; `followPage` false also stops the
    // windows following the page's colour.
    static void choose(const Gdk::RGBA& rgba, bool stopFollowingPage);
    // The desktop's colour for every window and the store; with `followPage` the windows follow
    // the page's colour again (and are told to look at it). Returns the colour for the well.
    static Gdk::RGBA reset(bool followPage);

    static Color colorFrom(const Gdk::RGBA& rgba);
    static Gdk::RGBA rgbaFrom(const Color& color);
};
