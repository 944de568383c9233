#include "statusbar/DockMonitorSelection.h"

#include <algorithm>
#include <cmath>

namespace {
double maxX(const Rect& r) {
    return r.origin.x + r.size.width;
}
double maxY(const Rect& r) {
    return r.origin.y + r.size.height;
}
// Half-open, as the platform's point-in-rectangle test: a point on the far edges is outside.
bool contains(const Rect& r, Point p) {
    return p.x >= r.origin.x && p.x < maxX(r) && p.y >= r.origin.y && p.y < maxY(r);
}
}  // namespace

DockMonitorSelection::DockMonitorSelection(const Rect& selectionRect)
    : selectionRect_(selectionRect), handlesShown_(true) {}

Rect DockMonitorSelection::handle(double x, double y) const {
    return Rect{{x - kHandleSize / 2, y - kHandleSize / 2}, {kHandleSize, kHandleSize}};
}

Rect DockMonitorSelection::tlRect() const {
    return handle(selectionRect_.origin.x, selectionRect_.origin.y);
}

Rect DockMonitorSelection::trRect() const {
    return handle(maxX(selectionRect_), selectionRect_.origin.y);
}

Rect DockMonitorSelection::blRect() const {
    return handle(selectionRect_.origin.x, maxY(selectionRect_));
}

Rect DockMonitorSelection::brRect() const {
    return handle(maxX(selectionRect_), maxY(selectionRect_));
}

void DockMonitorSelection::mouseDown(Point p) {
    handlesShown_ = false;
    downPoint_ = p;
    dragged_ = false;
    const Rect& r = selectionRect_;
    // A corner grabbed: the opposite corner stays where it is.
    if (contains(tlRect(), p)) {
        startPoint_ = {maxX(r), maxY(r)};
    } else if (contains(trRect(), p)) {
        startPoint_ = {r.origin.x, maxY(r)};
    } else if (contains(blRect(), p)) {
        startPoint_ = {maxX(r), r.origin.y};
    } else if (contains(brRect(), p)) {
        startPoint_ = {r.origin.x, r.origin.y};
    } else if (contains(r, p)) {
        moveDx_ = r.origin.x - p.x;
        moveDy_ = r.origin.y - p.y;
        isMoving_ = true;
    } else {
        startPoint_ = p;
    }
}

std::optional<Rect> DockMonitorSelection::mouseDragged(Point p) {
    if (!dragged_ && std::hypot(p.x - downPoint_.x, p.y - downPoint_.y) <= dragThreshold_) {
        return std::nullopt;
    }
    dragged_ = true;
    if (isMoving_) {
        selectionRect_.origin = {p.x + moveDx_, p.y + moveDy_};
        return selectionRect_;
    }
    const double dx = p.x - startPoint_.x;
    const double dy = p.y - startPoint_.y;
    const double side = std::min(std::abs(dx), std::abs(dy));
    selectionRect_ = Rect{{dx >= 0 ? startPoint_.x : startPoint_.x - side,
                           dy >= 0 ? startPoint_.y : startPoint_.y - side},
                          {side, side}};
    return selectionRect_;
}

DockMonitorSelection::Release DockMonitorSelection::mouseUp() {
    isMoving_ = false;
    handlesShown_ = true;
    return dragged_ ? Release::SelectionEnded : Release::EditingEnded;
}
