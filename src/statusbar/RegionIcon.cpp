#include "statusbar/RegionIcon.h"

#include <algorithm>
#include <cmath>
#include <memory>

std::optional<Image> RegionIcon::fromSnapshot(cairo_surface_t* snapshot, const Rect& region) {
    if (!snapshot || cairo_surface_status(snapshot) != CAIRO_STATUS_SUCCESS ||
        region.size.width <= 0 || region.size.height <= 0) {
        return std::nullopt;
    }
    const int width = static_cast<int>(kWidth);
    const int height =
        std::max(1, static_cast<int>(std::lround(kWidth * region.size.height / region.size.width)));
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> icon(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height), cairo_surface_destroy);
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> cr(cairo_create(icon.get()), cairo_destroy);
    cairo_scale(cr.get(), width / region.size.width, height / region.size.height);
    // The snapshot carries its device scale: user space is the page's own coordinates.
    cairo_set_source_surface(cr.get(), snapshot, -region.origin.x, -region.origin.y);
    cairo_paint(cr.get());
    cr.reset();
    Image image = imageFromSurface(icon.get());
    if (!image.isValid()) {
        return std::nullopt;
    }
    return roundCornersWithRadius(image, kCornerRadius);
}
