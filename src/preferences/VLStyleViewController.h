#pragma once

#include <gtkmm/builder.h>
#include <gtkmm/colorbutton.h>
#include <gtkmm/window.h>

#include <memory>

// The small window-colour view (WindowStyle.ui) in a window of its own: a colour well and a
// reset to the desktop's colour, as in the Appearance pane but leaving alone whether windows
// follow the page's colour.
class VLStyleViewController {
  public:
    // Shows the one view, made on first use, in front of `parent`.
    static void show(Gtk::Window* parent);
    static VLStyleViewController* current();
    ~VLStyleViewController();
    VLStyleViewController(const VLStyleViewController&) = delete;
    VLStyleViewController& operator=(const VLStyleViewController&) = delete;

    Gtk::Window& window() { return window_; }
    Gtk::ColorButton& colorWell() { return *windowColorWell_; }

  private:
    VLStyleViewController();

    Glib::RefPtr<Gtk::Builder> builder_;
    Gtk::Window window_;
    Gtk::ColorButton* windowColorWell_ = nullptr;
};
