#pragma once

#include <gtkmm/overlay.h>
#include <gtkmm/window.h>

#include <optional>

#include "foundation/GObjectPtr.h"
#include "foundation/Geometry.h"
#include "statusbar/VLResizingView.h"

class VLMainWindowController;

// Menu-bar mode's browser: an undecorated window hung under the tray icon that holds a main
// window's content (its tabs) at the stored popover size, with the resize handle. It closes when
// it loses the focus to another program; the app's own menus and dialogs over it keep it open.
class PopUpBrowser {
  public:
    PopUpBrowser();
    // Gives the content back to its window.
    ~PopUpBrowser();
    PopUpBrowser(const PopUpBrowser&) = delete;
    PopUpBrowser& operator=(const PopUpBrowser&) = delete;

    // Moves `controller`'s content here; its window stays behind, empty and hidden.
    void setContent(VLMainWindowController& controller);
    // Puts the content back into its window (before that window closes).
    void releaseContent();
    VLMainWindowController* contentController() const { return controller_; }

    bool isShown() const { return window_.get_visible(); }
    // Shows the popup under `anchor` (the last one when none is given).
    void show(const std::optional<Rect>& anchor);
    void close();
    Gtk::Window& window() { return window_; }
    VLResizingView& resizingView() { return handle_; }
    Size size() const { return size_; }

  private:
    void place();
    Rect workArea() const;
    void resizeBy(double dx, double dy);
    void activeChanged();

    Gtk::Window window_;
    Gtk::Overlay overlay_;
    VLResizingView handle_;
    GObjectPtr<GtkWidget> content_;
    Gtk::Widget* menuBar_ = nullptr;
    VLMainWindowController* controller_ = nullptr;
    std::optional<Rect> anchor_;
    Size size_;
    sigc::connection focusCheck_;
};
