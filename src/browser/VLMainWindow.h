#pragma once

#include <gtkmm/applicationwindow.h>
#include <gtkmm/box.h>
#include <gtkmm/builder.h>
#include <gtkmm/cssprovider.h>
#include <gtkmm/eventbox.h>
#include <gtkmm/headerbar.h>

#include "foundation/Color.h"
#include "foundation/NotificationCenter.h"

// A main window. With the title bar hidden it has no decorations and its close, minimise and
// maximise buttons sit in a 70x22 group at the top left that shows while the pointer is over it.
// It paints its background (and its title bar) in the window colour, with title text dark on a
// light colour and light otherwise.
class VLMainWindow : public Gtk::ApplicationWindow {
  public:
    VLMainWindow(BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>& builder);
    ~VLMainWindow() override;

    // Moves the window buttons into the hover group (title bar hidden) or back.
    void updateWindowButtons();
    void resetButtons();
    bool buttonsInHoverGroup() const { return hoverGroup_; }
    Gtk::EventBox& buttonWrapperView() { return *buttonWrapperView_; }
    Gtk::HeaderBar& headerBar() { return *headerBar_; }

    void setWindowColor(const Color& color);
    const Color& windowColor() const { return color_; }

  private:
    void applyStyle();

    // Where the toolbar goes while the window has no title bar.
    void placeHeaderBar(bool inContent);

    Gtk::HeaderBar* headerBar_ = nullptr;
    Gtk::Box* toolbarSlot_ = nullptr;
    Gtk::EventBox* buttonWrapperView_ = nullptr;
    Glib::RefPtr<Gtk::CssProvider> css_;
    Color color_;
    bool hoverGroup_ = false;
    NotificationCenter::Observer titlebarObserver_;
};
