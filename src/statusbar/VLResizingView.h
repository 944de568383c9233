#pragma once

#include <gtkmm/drawingarea.h>

// The popup browser's resize handle: a 16-point circle near its bottom-right corner. Dragging it
// reports how far the pointer moved, in screen terms, since the last step.
class VLResizingView : public Gtk::DrawingArea {
  public:
    static constexpr int kSide = 16;

    VLResizingView();
    sigc::signal<void(double dx, double dy)>& signalDragged() { return dragged_; }

  protected:
    bool on_draw(const Cairo::RefPtr<Cairo::Context>& cr) override;
    void on_realize() override;
    bool on_button_press_event(GdkEventButton* event) override;
    bool on_motion_notify_event(GdkEventMotion* event) override;
    bool on_button_release_event(GdkEventButton* event) override;

  private:
    void positionMyself();

    sigc::signal<void(double, double)> dragged_;
    bool dragging_ = false;
    double lastX_ = 0;
    double lastY_ = 0;
};
