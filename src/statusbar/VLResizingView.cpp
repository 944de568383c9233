#include "statusbar/VLResizingView.h"

#include <gdkmm/cursor.h>

#include <cmath>

#include "maintenance/ColorString.h"
#include "stores/VLSettingsManager.h"

VLResizingView::VLResizingView() {
    set_size_request(kSide, kSide);
    add_events(Gdk::BUTTON_PRESS_MASK | Gdk::BUTTON_RELEASE_MASK | Gdk::BUTTON1_MOTION_MASK);
    positionMyself();
}

void VLResizingView::positionMyself() {
    // 20 points from the right edge to the handle's left, 6 from the bottom.
    set_halign(Gtk::ALIGN_END);
    set_valign(Gtk::ALIGN_END);
    set_margin_end(20 - kSide);
    set_margin_bottom(6);
}

void VLResizingView::on_realize() {
    Gtk::DrawingArea::on_realize();
    get_window()->set_cursor(Gdk::Cursor::create(get_display(), Gdk::BOTTOM_RIGHT_CORNER));
}

bool VLResizingView::on_draw(const Cairo::RefPtr<Cairo::Context>& cr) {
    const bool light = colorIsLight(VLSettingsManager::sharedManager().windowColor());
    const double radius = kSide / 2.0 - 2;
    cr->arc(kSide / 2.0, kSide / 2.0, radius, 0, 2 * M_PI);
    cr->set_line_width(3);
    if (light) {
        cr->set_source_rgb(0.75, 0.75, 0.75);
    } else {
        cr->set_source_rgb(1, 1, 1);
    }
    cr->fill_preserve();
    if (light) {
        cr->set_source_rgb(0, 0, 1);
    } else {
        cr->set_source_rgb(0, 1, 0);
    }
    cr->stroke();
    return true;
}

bool VLResizingView::on_button_press_event(GdkEventButton* event) {
    if (event->button == 1) {
        dragging_ = true;
        // Screen positions: the window moves and grows under the pointer as it is dragged.
        lastX_ = event->x_root;
        lastY_ = event->y_root;
    }
    return true;
}

bool VLResizingView::on_motion_notify_event(GdkEventMotion* event) {
    if (dragging_) {
        const double dx = event->x_root - lastX_;
        const double dy = event->y_root - lastY_;
        lastX_ = event->x_root;
        lastY_ = event->y_root;
        dragged_.emit(dx, dy);
    }
    return true;
}

bool VLResizingView::on_button_release_event(GdkEventButton* event) {
    if (event->button == 1) {
        dragging_ = false;
    }
    return true;
}
