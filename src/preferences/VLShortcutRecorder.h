#pragma once

#include <gtkmm/button.h>

#include <string>

// Records the global shortcut: click, then press the keys. The accelerator goes into the user
// defaults under "globalShortcutKey" and is bound again at once. Escape gives up, Backspace
// clears the shortcut. Without an X11 display no application can bind a global key, and the
// control says so instead.
class VLShortcutRecorder : public Gtk::Button {
  public:
    VLShortcutRecorder();

    bool recording() const { return recording_; }
    bool available() const { return available_; }
    // One key press while recording: true when it ended the recording.
    bool record(guint keyval, Gdk::ModifierType modifiers);
    void clear();

  private:
    void showShortcut();
    void store(const std::string& accelerator);
    bool on_key_press_event(GdkEventKey* event) override;
    bool on_focus_out_event(GdkEventFocus* event) override;
    void on_clicked() override;

    bool recording_ = false;
    bool available_ = true;
};
