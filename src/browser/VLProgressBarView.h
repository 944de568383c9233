#pragma once

#include <gtkmm/drawingarea.h>

// The thin progress line above a page: a blue bar whose width is the share of the page loaded.
class VLProgressBarView : public Gtk::DrawingArea {
  public:
    VLProgressBarView();
    double value() const { return value_; }
    void setValue(double value);

  protected:
    bool on_draw(const Cairo::RefPtr<Cairo::Context>& cr) override;

  private:
    double value_ = 0;
};
