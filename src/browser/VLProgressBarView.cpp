#include "browser/VLProgressBarView.h"

#include <algorithm>
#include <cmath>

VLProgressBarView::VLProgressBarView() {
    set_size_request(-1, 2);
    set_no_show_all(true);
}

void VLProgressBarView::setValue(double value) {
    value_ = std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
    queue_draw();
}

bool VLProgressBarView::on_draw(const Cairo::RefPtr<Cairo::Context>& cr) {
    const double width = get_allocated_width() * value_;
    // The system blue of the desktop's accent.
    cr->set_source_rgb(0.208, 0.518, 0.894);
    cr->rectangle(0, 0, width, get_allocated_height());
    cr->fill();
    return true;
}
