#pragma once

#include <optional>

#include "foundation/Geometry.h"

// Where the menu-bar mode's popup browser goes and how its resize handle sizes it.
class PopupGeometry {
  public:
    static constexpr double kGap = 4;
    static constexpr double kMinimumSide = 50;  // the behaviour store reads less as unset

    // The top-left corner of a popup of `size` hung from `anchor` (the tray icon's area, or the
    // point the desktop reported for the click): centred on it horizontally, under it, or above
    // it when the anchor lies in the lower half of the work area (a panel at the bottom), and
    // kept inside the work area. Without an anchor, the work area's top-right corner.
    static Point place(const std::optional<Rect>& anchor, Size size, const Rect& workArea);

    // The size after the handle was dragged by (dx, dy): the width grows by twice dx (the popup
    // stays centred under its icon) and the height by dy; a width that comes within 20 of the
    // screen's width becomes the screen's width less 20; no side shrinks below kMinimumSide.
    static Size resized(Size size, double dx, double dy, double screenWidth);
};
