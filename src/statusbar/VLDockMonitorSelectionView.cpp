#include "statusbar/VLDockMonitorSelectionView.h"

#include <gdkmm/frameclock.h>
#include <gtkmm/settings.h>

#include <cmath>

namespace {
void pathOf(const Cairo::RefPtr<Cairo::Context>& cr, const Rect& r) {
    // Half-pixel offsets keep one-pixel lines sharp.
    cr->rectangle(std::floor(r.origin.x) + 0.5, std::floor(r.origin.y) + 0.5,
                  std::round(r.size.width), std::round(r.size.height));
}
}  // namespace

VLDockMonitorSelectionView::VLDockMonitorSelectionView(VLDockMonitorSelectionViewDelegate& delegate,
                                                       const std::optional<Rect>& selectionRect)
    : delegate_(delegate),
      selection_(selectionRect ? DockMonitorSelection(*selectionRect) : DockMonitorSelection()),
      outlineShown_(selectionRect.has_value()) {
    selection_.setDragThreshold(Gtk::Settings::get_default()->property_gtk_dnd_drag_threshold());
    add_events(Gdk::BUTTON_PRESS_MASK | Gdk::BUTTON_RELEASE_MASK | Gdk::BUTTON1_MOTION_MASK);
    // The dashes march round the square: a phase of 0 to 15 every 0.75 seconds.
    antsTick_ = add_tick_callback([this](const Glib::RefPtr<Gdk::FrameClock>& clock) {
        const double seconds = clock->get_frame_time() / 1e6;
        dashPhase_ = std::fmod(seconds, 0.75) / 0.75 * 15;
        if (outlineShown_) {
            queue_draw();
        }
        return true;
    });
}

VLDockMonitorSelectionView::~VLDockMonitorSelectionView() {
    remove_tick_callback(antsTick_);
    removeFromSuperview();
}

void VLDockMonitorSelectionView::addTo(Gtk::Overlay& overlay, Gtk::Widget& page) {
    removeFromSuperview();
    overlay_ = &overlay;
    page_ = &page;
    placement_ = overlay.signal_get_child_position().connect(
        sigc::mem_fun(*this, &VLDockMonitorSelectionView::placeOverPage), false);
    overlay.add_overlay(*this);
    show();
}

bool VLDockMonitorSelectionView::placeOverPage(Gtk::Widget* child, Gdk::Rectangle& allocation) {
    if (child != this || !page_ || !page_->get_mapped()) {
        return false;  // the overlay's own placement: the whole content
    }
    int x = 0, y = 0;
    if (!page_->translate_coordinates(*overlay_, 0, 0, x, y)) {
        return false;
    }
    allocation = Gdk::Rectangle(x, y, page_->get_allocated_width(), page_->get_allocated_height());
    return true;
}

void VLDockMonitorSelectionView::removeFromSuperview() {
    placement_.disconnect();
    if (overlay_) {
        overlay_->Gtk::Container::remove(*this);
    }
    overlay_ = nullptr;
    page_ = nullptr;
}

bool VLDockMonitorSelectionView::on_draw(const Cairo::RefPtr<Cairo::Context>& cr) {
    cr->set_source_rgba(1, 1, 1, 0.2);
    cr->paint();
    const Rect& square = selection_.selectionRect();
    if (outlineShown_ && square.size.width > 0) {
        cr->set_line_width(1);
        pathOf(cr, square);
        cr->set_source_rgba(0, 0, 0, 0.1);
        cr->fill_preserve();
        cr->set_source_rgb(0, 0, 0);
        cr->set_dash(std::vector<double>{10, 5}, dashPhase_);
        cr->stroke();
        cr->unset_dash();
    }
    if (outlineShown_ && selection_.handlesShown()) {
        for (const Rect& corner :
             {selection_.tlRect(), selection_.trRect(), selection_.blRect(), selection_.brRect()}) {
            pathOf(cr, corner);
            cr->set_source_rgb(1, 1, 1);
            cr->fill_preserve();
            cr->set_source_rgb(0, 0, 0);
            cr->stroke();
        }
    }
    return true;
}

bool VLDockMonitorSelectionView::on_button_press_event(GdkEventButton* event) {
    // The second press of a double click repeats the first; it is no new press.
    if (event->button != 1 || event->type != GDK_BUTTON_PRESS) {
        return true;
    }
    pressed_ = true;
    selection_.mouseDown({event->x, event->y});
    queue_draw();
    return true;
}

bool VLDockMonitorSelectionView::on_motion_notify_event(GdkEventMotion* event) {
    if (!pressed_) {
        return true;
    }
    if (std::optional<Rect> square = selection_.mouseDragged({event->x, event->y})) {
        outlineShown_ = true;
        queue_draw();
        delegate_.selectionDidChanged(*square);
    }
    return true;
}

bool VLDockMonitorSelectionView::on_button_release_event(GdkEventButton* event) {
    if (event->button != 1 || !pressed_) {
        return true;
    }
    pressed_ = false;
    queue_draw();
    if (selection_.mouseUp() == DockMonitorSelection::Release::SelectionEnded) {
        delegate_.selectionDidEnded();
        return true;
    }
    outlineShown_ = false;
    delegate_.selectionEditingDidEnded();
    removeFromSuperview();
    return true;
}
