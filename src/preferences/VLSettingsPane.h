#pragma once

#include <gtkmm/widget.h>

#include <string>

// One pane of the preferences window. It fills its controls from the stores when it is made,
// writes every change into them, and is told when it shows and when it hides again (where it
// saves what it edited).
class VLSettingsPane {
  public:
    virtual ~VLSettingsPane() = default;
    virtual Gtk::Widget& view() = 0;
    virtual void viewDidAppear() {}
    virtual void viewDidDisappear() {}
    // The pane's title in the window's sidebar; empty keeps the window's own.
    virtual std::string title() const { return {}; }
};
