#pragma once

#include "foundation/Geometry.h"

// What the dock monitor's selection overlay reports to its owner.
class VLDockMonitorSelectionViewDelegate {
  public:
    virtual ~VLDockMonitorSelectionViewDelegate() = default;
    // The square moved or changed size (every drag step).
    virtual void selectionDidChanged(const Rect& rect) = 0;
    // A drag ended: the square is chosen.
    virtual void selectionDidEnded() = 0;
    // A plain click: the overlay is done and has taken itself off the window.
    virtual void selectionEditingDidEnded() = 0;
};
