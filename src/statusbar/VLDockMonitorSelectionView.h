#pragma once

#include <gtkmm/drawingarea.h>
#include <gtkmm/overlay.h>

#include <optional>

#include "statusbar/DockMonitorSelection.h"
#include "statusbar/VLDockMonitorSelectionViewDelegate.h"

// The dock monitor's selection overlay: a light veil over the watched page with the square's
// marching-ants outline and its four corner handles. It lies exactly over the page, so its
// coordinates are the page's, and the window's menus stay within reach.
class VLDockMonitorSelectionView : public Gtk::DrawingArea {
  public:
    // A new square, or the existing one drawn with its handles.
    VLDockMonitorSelectionView(VLDockMonitorSelectionViewDelegate& delegate,
                               const std::optional<Rect>& selectionRect);
    ~VLDockMonitorSelectionView() override;

    // Lays the view over `page` (a widget inside `overlay`).
    void addTo(Gtk::Overlay& overlay, Gtk::Widget& page);
    void removeFromSuperview();
    bool attached() const { return overlay_ != nullptr; }
    const DockMonitorSelection& selection() const { return selection_; }

  protected:
    bool on_draw(const Cairo::RefPtr<Cairo::Context>& cr) override;
    bool on_button_press_event(GdkEventButton* event) override;
    bool on_motion_notify_event(GdkEventMotion* event) override;
    bool on_button_release_event(GdkEventButton* event) override;

  private:
    bool placeOverPage(Gtk::Widget* child, Gdk::Rectangle& allocation);

    VLDockMonitorSelectionViewDelegate& delegate_;
    DockMonitorSelection selection_;
    bool outlineShown_;
    bool pressed_ = false;
    double dashPhase_ = 0;
    guint antsTick_ = 0;
    Gtk::Overlay* overlay_ = nullptr;
    Gtk::Widget* page_ = nullptr;
    sigc::connection placement_;
};
