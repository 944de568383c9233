// Draws the template bundle's application icon and writes it as AppIcon.icns, and as a PNG for
// the desktop's icon theme when asked.
//   make_app_icon OUTPUT.icns [OUTPUT.png]
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "foundation/Files.h"
#include "maintenance/IcnsWriter.h"
#include "maintenance/Image.h"

namespace {
GObjectPtr<GdkPixbuf> pixbufOf(cairo_surface_t* surface) {
    cairo_surface_flush(surface);
    const int size = cairo_image_surface_get_width(surface);
    auto pixbuf =
        GObjectPtr<GdkPixbuf>::adopt(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, size, size));
    const unsigned char* src = cairo_image_surface_get_data(surface);
    for (int y = 0; y < size; ++y) {
        auto* in =
            reinterpret_cast<const uint32_t*>(src + y * cairo_image_surface_get_stride(surface));
        guchar* out =
            gdk_pixbuf_get_pixels(pixbuf.get()) + y * gdk_pixbuf_get_rowstride(pixbuf.get());
        for (int x = 0; x < size; ++x, out += 4) {
            uint32_t p = in[x];
            uint32_t a = p >> 24;
            auto channel = [a](uint32_t c) -> guchar {
                return a ? guchar(std::min(255u, c * 255 / a)) : 0;
            };
            out[0] = channel((p >> 16) & 0xFF);
            out[1] = channel((p >> 8) & 0xFF);
            out[2] = channel(p & 0xFF);
            out[3] = guchar(a);
        }
    }
    return pixbuf;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: make_app_icon OUTPUT.icns [OUTPUT.png]\n");
        return 2;
    }
    const int size = 128;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    // A rounded square in a blue-to-teal gradient...
    const double r = 26, m = 6, w = size - 2 * m;
    cairo_new_sub_path(cr);
    cairo_arc(cr, m + w - r, m + r, r, -M_PI / 2, 0);
    cairo_arc(cr, m + w - r, m + w - r, r, 0, M_PI / 2);
    cairo_arc(cr, m + r, m + w - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, m + r, m + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 0, size);
    cairo_pattern_add_color_stop_rgb(gradient, 0, 0.20, 0.52, 0.89);
    cairo_pattern_add_color_stop_rgb(gradient, 1, 0.10, 0.68, 0.62);
    cairo_set_source(cr, gradient);
    cairo_fill(cr);
    cairo_pattern_destroy(gradient);
    // ...holding a white globe: a circle, its equator and two meridians.
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 5);
    const double c = size / 2.0, R = 34;
    cairo_arc(cr, c, c, R, 0, 2 * M_PI);
    cairo_stroke(cr);
    cairo_move_to(cr, c - R, c);
    cairo_line_to(cr, c + R, c);
    cairo_stroke(cr);
    cairo_save(cr);
    cairo_translate(cr, c, c);
    cairo_scale(cr, 0.45, 1.0);
    cairo_arc(cr, 0, 0, R, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_stroke(cr);
    cairo_destroy(cr);
    Image icon(pixbufOf(surface));
    cairo_surface_destroy(surface);
    if (std::string error = IcnsWriter::write(icon, argv[1]); !error.empty()) {
        std::fprintf(stderr, "make_app_icon: %s\n", error.c_str());
        return 1;
    }
    if (argc == 3) {
        std::string error;
        const std::string png = icon.pngData(&error);
        if (png.empty() ||
            !(error = Files::writeAtomically(argv[2], png, Files::kSharedFile)).empty()) {
            std::fprintf(stderr, "make_app_icon: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
