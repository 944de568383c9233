#include "maintenance/Image.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {
struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using ContextPtr = std::unique_ptr<cairo_t, ContextDeleter>;

// Cairo keeps premultiplied native-endian ARGB; gdk-pixbuf straight RGBA bytes.
SurfacePtr surfaceFromPixbuf(GdkPixbuf* pixbuf) {
    int width = gdk_pixbuf_get_width(pixbuf);
    int height = gdk_pixbuf_get_height(pixbuf);
    int channels = gdk_pixbuf_get_n_channels(pixbuf);
    bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
    int srcStride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* src = gdk_pixbuf_read_pixels(pixbuf);
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return nullptr;
    }
    cairo_surface_flush(surface.get());
    unsigned char* dst = cairo_image_surface_get_data(surface.get());
    int dstStride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < height; ++y) {
        const guchar* in = src + static_cast<ptrdiff_t>(y) * srcStride;
        auto* out = reinterpret_cast<uint32_t*>(dst + static_cast<ptrdiff_t>(y) * dstStride);
        for (int x = 0; x < width; ++x, in += channels) {
            uint32_t a = alpha ? in[3] : 255;
            uint32_t r = in[0] * a / 255, g = in[1] * a / 255, b = in[2] * a / 255;
            out[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

GObjectPtr<GdkPixbuf> pixbufFromSurface(cairo_surface_t* surface) {
    cairo_surface_flush(surface);
    int width = cairo_image_surface_get_width(surface);
    int height = cairo_image_surface_get_height(surface);
    auto pixbuf =
        GObjectPtr<GdkPixbuf>::adopt(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, width, height));
    if (!pixbuf) {
        return {};
    }
    const unsigned char* src = cairo_image_surface_get_data(surface);
    int srcStride = cairo_image_surface_get_stride(surface);
    guchar* dst = gdk_pixbuf_get_pixels(pixbuf.get());
    int dstStride = gdk_pixbuf_get_rowstride(pixbuf.get());
    for (int y = 0; y < height; ++y) {
        auto* in = reinterpret_cast<const uint32_t*>(src + static_cast<ptrdiff_t>(y) * srcStride);
        guchar* out = dst + static_cast<ptrdiff_t>(y) * dstStride;
        for (int x = 0; x < width; ++x, out += 4) {
            uint32_t p = in[x];
            uint32_t a = p >> 24;
            auto unpremultiply = [a](uint32_t c) -> guchar {
                return a == 0 ? 0 : static_cast<guchar>(std::min<uint32_t>(255, c * 255 / a));
            };
            out[0] = unpremultiply((p >> 16) & 0xFF);
            out[1] = unpremultiply((p >> 8) & 0xFF);
            out[2] = unpremultiply(p & 0xFF);
            out[3] = static_cast<guchar>(a);
        }
    }
    return pixbuf;
}
}  // namespace

Image::Image(GObjectPtr<GdkPixbuf> pixbuf) : pixbuf_(std::move(pixbuf)) {
    if (pixbuf_) {
        size_ = Size{static_cast<double>(gdk_pixbuf_get_width(pixbuf_.get())),
                     static_cast<double>(gdk_pixbuf_get_height(pixbuf_.get()))};
    }
}

Image::Image(GObjectPtr<GdkPixbuf> pixbuf, Size pointSize)
    : pixbuf_(std::move(pixbuf)), size_(pointSize) {}

std::optional<Image> Image::fromFile(const std::string& path, std::string* error) {
    GErrorPtr gerror;
    auto pixbuf =
        GObjectPtr<GdkPixbuf>::adopt(gdk_pixbuf_new_from_file(path.c_str(), gerror.out()));
    if (!pixbuf) {
        if (error) {
            *error = gerror ? gerror.message() : "cannot load " + path;
        }
        return std::nullopt;
    }
    return Image(std::move(pixbuf));
}

std::optional<Image> Image::fromData(const std::string& bytes, std::string* error) {
    auto loader = GObjectPtr<GdkPixbufLoader>::adopt(gdk_pixbuf_loader_new());
    GErrorPtr gerror;
    bool ok = gdk_pixbuf_loader_write(loader.get(), reinterpret_cast<const guchar*>(bytes.data()),
                                      bytes.size(), gerror.out());
    // Always close the loader, even after a failed write.
    GErrorPtr closeError;
    bool closed = gdk_pixbuf_loader_close(loader.get(), closeError.out());
    GdkPixbuf* pixbuf = ok && closed ? gdk_pixbuf_loader_get_pixbuf(loader.get()) : nullptr;
    if (!pixbuf) {
        if (error) {
            *error = gerror ? gerror.message() : closeError ? closeError.message() : "no image";
        }
        return std::nullopt;
    }
    return Image(GObjectPtr<GdkPixbuf>::retain(pixbuf));
}

int Image::pixelWidth() const {
    return pixbuf_ ? gdk_pixbuf_get_width(pixbuf_.get()) : 0;
}

int Image::pixelHeight() const {
    return pixbuf_ ? gdk_pixbuf_get_height(pixbuf_.get()) : 0;
}

std::string Image::pngData(std::string* error) const {
    if (!pixbuf_) {
        if (error) {
            *error = "no bitmap";
        }
        return {};
    }
    gchar* buffer = nullptr;
    gsize size = 0;
    GErrorPtr gerror;
    if (!gdk_pixbuf_save_to_buffer(pixbuf_.get(), &buffer, &size, "png", gerror.out(), nullptr)) {
        if (error) {
            *error = gerror.message();
        }
        return {};
    }
    GCharPtr owner(buffer);
    return std::string(buffer, size);
}

Image imageFromSurface(cairo_surface_t* surface) {
    if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32) {
        return Image();
    }
    return Image(pixbufFromSurface(surface));
}

void drawImage(cairo_t* cr, const Image& image, const Rect& rect) {
    if (!image.isValid() || image.pixelWidth() <= 0 || image.pixelHeight() <= 0) {
        return;
    }
    SurfacePtr source = surfaceFromPixbuf(image.pixbuf());
    if (!source) {
        return;
    }
    cairo_save(cr);
    cairo_translate(cr, rect.origin.x, rect.origin.y);
    cairo_scale(cr, rect.size.width / image.pixelWidth(), rect.size.height / image.pixelHeight());
    cairo_set_source_surface(cr, source.get(), 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
}

std::optional<Image> resizeImage(const Image& image, Size size) {
    if (!image.isValid()) {
        return std::nullopt;
    }
    int width = static_cast<int>(size.width);
    int height = static_cast<int>(size.height);
    if (width <= 0 || height <= 0) {
        return std::nullopt;
    }
    auto scaled = GObjectPtr<GdkPixbuf>::adopt(
        gdk_pixbuf_scale_simple(image.pixbuf(), width, height, GDK_INTERP_BILINEAR));
    if (!scaled) {
        return std::nullopt;
    }
    if (!gdk_pixbuf_get_has_alpha(scaled.get())) {
        scaled = GObjectPtr<GdkPixbuf>::adopt(gdk_pixbuf_add_alpha(scaled.get(), FALSE, 0, 0, 0));
        if (!scaled) {
            return std::nullopt;
        }
    }
    return Image(std::move(scaled), size);
}

Image roundCornersWithRadius(const Image& image, double radius) {
    if (!image.isValid()) {
        return image;
    }
    int width = static_cast<int>(image.size().width);
    int height = static_cast<int>(image.size().height);
    if (width <= 0 || height <= 0) {
        return image;
    }
    SurfacePtr source = surfaceFromPixbuf(image.pixbuf());
    SurfacePtr target(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (!source || cairo_surface_status(target.get()) != CAIRO_STATUS_SUCCESS) {
        return image;
    }
    ContextPtr cr(cairo_create(target.get()));
    double r = std::clamp(radius, 0.0, std::min(width, height) / 2.0);
    cairo_new_sub_path(cr.get());
    cairo_arc(cr.get(), width - r, r, r, -M_PI / 2, 0);
    cairo_arc(cr.get(), width - r, height - r, r, 0, M_PI / 2);
    cairo_arc(cr.get(), r, height - r, r, M_PI / 2, M_PI);
    cairo_arc(cr.get(), r, r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr.get());
    cairo_clip(cr.get());
    // The bitmap fills the point-size rectangle, whatever its pixel size.
    cairo_scale(cr.get(), static_cast<double>(width) / image.pixelWidth(),
                static_cast<double>(height) / image.pixelHeight());
    cairo_set_source_surface(cr.get(), source.get(), 0, 0);
    cairo_paint(cr.get());
    cr.reset();
    auto pixbuf = pixbufFromSurface(target.get());
    if (!pixbuf) {
        return image;
    }
    return Image(std::move(pixbuf));
}

Image badgedIcon(const Image& icon, const std::string& text) {
    if (!icon.isValid() || text.empty() || text == "0") {
        return icon;
    }
    const int side = std::max(icon.pixelWidth(), icon.pixelHeight());
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side));
    SurfacePtr base = surfaceFromPixbuf(icon.pixbuf());
    if (!base || cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return icon;
    }
    ContextPtr cr(cairo_create(surface.get()));
    cairo_save(cr.get());
    cairo_scale(cr.get(), static_cast<double>(side) / icon.pixelWidth(),
                static_cast<double>(side) / icon.pixelHeight());
    cairo_set_source_surface(cr.get(), base.get(), 0, 0);
    cairo_paint(cr.get());
    cairo_restore(cr.get());

    const double scale = side / 128.0;
    cairo_scale(cr.get(), scale, scale);
    cairo_select_font_face(cr.get(), "Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr.get(), 24);
    cairo_text_extents_t extents;
    cairo_text_extents(cr.get(), text.c_str(), &extents);
    const double width = std::max(48.0, std::ceil(extents.x_advance) + 12);
    const double height = 48;
    const double x = 128 - 2 - width;
    const double y = 2;
    auto roundedRect = [&](double left, double top, double w, double h, double radius) {
        cairo_new_sub_path(cr.get());
        cairo_arc(cr.get(), left + w - radius, top + radius, radius, -M_PI / 2, 0);
        cairo_arc(cr.get(), left + w - radius, top + h - radius, radius, 0, M_PI / 2);
        cairo_arc(cr.get(), left + radius, top + h - radius, radius, M_PI / 2, M_PI);
        cairo_arc(cr.get(), left + radius, top + radius, radius, M_PI, 3 * M_PI / 2);
        cairo_close_path(cr.get());
    };
    // The shadow: a few fading rings around the badge.
    for (int ring = 2; ring >= 1; --ring) {
        roundedRect(x - ring, y - ring, width + 2 * ring, height + 2 * ring, 24 + ring);
        cairo_set_source_rgba(cr.get(), 0, 0, 0, 0.8 / (2 * ring + 1));
        cairo_fill(cr.get());
    }
    roundedRect(x, y, width, height, 24);
    cairo_set_source_rgb(cr.get(), 0.93, 0.16, 0.14);
    cairo_fill(cr.get());
    // Centred in a 28-point line whose bottom is 10 points above the badge's bottom.
    cairo_set_source_rgb(cr.get(), 1, 1, 1);
    cairo_font_extents_t font;
    cairo_font_extents(cr.get(), &font);
    const double lineTop = y + height - 10 - 28;
    const double baseline = lineTop + (28 - (font.ascent + font.descent)) / 2 + font.ascent;
    cairo_move_to(cr.get(), x + (width - extents.x_advance) / 2, baseline);
    cairo_show_text(cr.get(), text.c_str());
    return Image(pixbufFromSurface(surface.get()), icon.size());
}
