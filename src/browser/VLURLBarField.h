#pragma once

#include <gtkmm/box.h>
#include <gtkmm/entry.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>
#include <gtkmm/overlay.h>

#include <functional>
#include <string>

#include "browser/UrlBarState.h"

// The address field: at rest a centred summary (padlock and host), while editing the full
// address; a reload/stop button at its end posts "reload" or "stop" for every window.
class VLURLBarField : public Gtk::Overlay {
  public:
    VLURLBarField();

    void setURLString(const std::string& url);
    void setSecure(bool secure);
    void setEditing(bool editing);
    void setLoadingState(bool loading);
    const UrlBarState& state() const { return state_; }

    // Return with the typed text; the window opens it through its tab controller.
    void setOpenHandler(std::function<void(const std::string& text)> open) {
        open_ = std::move(open);
    }
    // Takes the keyboard focus for typing an address.
    void beginEditing();
    Gtk::Entry& entry() { return entry_; }
    const Gtk::Label& hostLabel() const { return host_; }
    const Gtk::Image& padlock() const { return padlock_; }
    const Gtk::Box& summary() const { return summary_; }
    void loadAction();

  private:
    void update();
    void updateSummeryView();

    UrlBarState state_;
    Gtk::Entry entry_;
    Gtk::Box summary_{Gtk::ORIENTATION_HORIZONTAL, 4};
    Gtk::Image padlock_;
    Gtk::Label host_;
    bool selectOnRelease_ = false;
    std::function<void(const std::string&)> open_;
};
