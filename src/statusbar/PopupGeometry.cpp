#include "statusbar/PopupGeometry.h"

#include <algorithm>

namespace {
// Keeps [start, start + length) inside [low, high), preferring the low end when it cannot fit.
double within(double start, double length, double low, double high) {
    return std::max(low, std::min(start, high - length));
}
}  // namespace

Point PopupGeometry::place(const std::optional<Rect>& anchor, Size size, const Rect& workArea) {
    const double left = workArea.origin.x;
    const double top = workArea.origin.y;
    const double right = left + workArea.size.width;
    const double bottom = top + workArea.size.height;
    if (!anchor) {
        return {within(right - size.width, size.width, left, right),
                within(top, size.height, top, bottom)};
    }
    const double centreX = anchor->origin.x + anchor->size.width / 2;
    const double centreY = anchor->origin.y + anchor->size.height / 2;
    const bool above = centreY > top + workArea.size.height / 2;
    const double y = above ? anchor->origin.y - kGap - size.height
                           : anchor->origin.y + anchor->size.height + kGap;
    return {within(centreX - size.width / 2, size.width, left, right),
            within(y, size.height, top, bottom)};
}

Size PopupGeometry::resized(Size size, double dx, double dy, double screenWidth) {
    double width = size.width + 2 * dx;
    const double height = size.height + dy;
    if (screenWidth - width <= 20) {
        width = screenWidth - 20;
    }
    return {std::max(kMinimumSide, width), std::max(kMinimumSide, height)};
}
