#include "statusbar/StatusItemIcon.h"

#include <cmath>
#include <memory>

Image StatusItemIcon::draw(const Image& appIcon, const std::optional<std::string>& badge,
                           int scale) {
    const int pixels = kSide * scale;
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixels, pixels), cairo_surface_destroy);
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> context(cairo_create(surface.get()),
                                                               cairo_destroy);
    cairo_t* cr = context.get();
    cairo_scale(cr, scale, scale);
    drawImage(cr, appIcon, Rect{{(kSide - 21) / 2.0, (kSide - 21) / 2.0}, {21, 21}});
    if (badge && !badge->empty()) {
        // Flush with the right edge, 5 points above the bottom: clear of most of the icon.
        const double x = 13, y = kSide - 5 - 15, side = 15;
        cairo_arc(cr, x + side / 2, y + side / 2, side / 2, 0, 2 * M_PI);
        cairo_set_source_rgb(cr, 1, 0, 0);
        cairo_fill(cr);
        cairo_select_font_face(cr, "Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, 8);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, badge->c_str(), &extents);
        // Centred in the text's square, which sits one point lower than the circle.
        cairo_move_to(cr, x + (side - extents.width) / 2 - extents.x_bearing,
                      y + 1 + (side - extents.height) / 2 - extents.y_bearing);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_show_text(cr, badge->c_str());
    }
    context.reset();
    return imageFromSurface(surface.get());
}

std::string StatusItemIcon::argb32(const Image& image) {
    std::string bytes;
    if (!image.isValid()) {
        return bytes;
    }
    GdkPixbuf* pixbuf = image.pixbuf();
    const int width = gdk_pixbuf_get_width(pixbuf);
    const int height = gdk_pixbuf_get_height(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
    bytes.reserve(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        const guchar* p = pixels + static_cast<ptrdiff_t>(y) * stride;
        for (int x = 0; x < width; ++x, p += channels) {
            bytes += static_cast<char>(alpha ? p[3] : 255);
            bytes += static_cast<char>(p[0]);
            bytes += static_cast<char>(p[1]);
            bytes += static_cast<char>(p[2]);
        }
    }
    return bytes;
}
