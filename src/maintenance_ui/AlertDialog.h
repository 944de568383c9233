#pragma once

#include <gtkmm/messagedialog.h>
#include <gtkmm/window.h>

#include <functional>
#include <memory>

#include "maintenance/Alert.h"

// Shows an Alert as a GTK message dialog. Buttons answer with their index (0 for the first);
// closing the dialog otherwise answers -1.
class AlertDialog {
  public:
    static std::unique_ptr<Gtk::MessageDialog> create(const Alert& alert, Gtk::Window* parent);
    // Modal: runs a nested loop until answered.
    static int run(const Alert& alert, Gtk::Window* parent);
    // A sheet on `parent`: returns at once and calls `done` with the answer.
    static void present(const Alert& alert, Gtk::Window* parent, std::function<void(int)> done);
};
