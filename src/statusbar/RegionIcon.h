#pragma once

#include <cairo.h>

#include <optional>

#include "foundation/Geometry.h"
#include "maintenance/Image.h"

// The dock monitor's icon from a snapshot of the visible page.
class RegionIcon {
  public:
    static constexpr double kWidth = 128;
    static constexpr double kCornerRadius = 64;

    // `region` (in the snapshot's coordinates) scaled to kWidth wide, corners rounded with
    // kCornerRadius: a disc for a square region. Nothing for an empty region or a snapshot
    // without pixels.
    static std::optional<Image> fromSnapshot(cairo_surface_t* snapshot, const Rect& region);
};
