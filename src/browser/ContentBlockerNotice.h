#pragma once

#include <gtkmm/label.h>

#include "foundation/NotificationCenter.h"

// A short line above a page while the ad-blocking list is compiled (the first start with a new
// list), so a held first page does not look stuck.
class ContentBlockerNotice : public Gtk::Label {
  public:
    ContentBlockerNotice();

  private:
    void update();

    NotificationCenter::Observer observer_;
};
