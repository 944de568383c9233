#pragma once

#include <optional>

#include "foundation/Geometry.h"

// The square a user marks over a page for the dock monitor, apart from the view that draws it:
// what a press grabs (a corner handle, the square, or nothing), how a drag grows or moves the
// square, and what the release ends. Coordinates are the page's.
class DockMonitorSelection {
  public:
    enum class Release {
        SelectionEnded,  // the pointer was dragged: the square is chosen
        EditingEnded,    // a plain click: the user is done with the overlay
    };
    static constexpr double kHandleSize = 10;

    // A new square (none yet, handles hidden), or the existing one with its handles.
    DockMonitorSelection() = default;
    explicit DockMonitorSelection(const Rect& selectionRect);

    // Pointer movement within this distance of the press is still a click: a trembling hand
    // must not replace the square with a tiny one.
    void setDragThreshold(double distance) { dragThreshold_ = distance; }

    const Rect& selectionRect() const { return selectionRect_; }
    bool handlesShown() const { return handlesShown_; }
    bool isMoving() const { return isMoving_; }

    // The 10 by 10 handles centred on the corners: tl on (min x, min y), tr on (max x, min y),
    // bl on (min x, max y), br on (max x, max y).
    Rect tlRect() const;
    Rect trRect() const;
    Rect blRect() const;
    Rect brRect() const;

    void mouseDown(Point p);
    // The new square, or nothing while the pointer is still within the click distance.
    std::optional<Rect> mouseDragged(Point p);
    Release mouseUp();

  private:
    Rect handle(double x, double y) const;

    Rect selectionRect_;
    Point startPoint_;
    Point downPoint_;
    bool isMoving_ = false;
    double moveDx_ = 0;
    double moveDy_ = 0;
    bool dragged_ = false;
    bool handlesShown_ = false;
    double dragThreshold_ = 0;
};
