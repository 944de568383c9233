#pragma once

#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <optional>
#include <string>

#include "foundation/GObjectPtr.h"
#include "foundation/Geometry.h"

// An image with a bitmap form (a GdkPixbuf) and a size in points (the pixel size unless set).
class Image {
  public:
    Image() = default;
    explicit Image(GObjectPtr<GdkPixbuf> pixbuf);
    Image(GObjectPtr<GdkPixbuf> pixbuf, Size pointSize);

    static std::optional<Image> fromFile(const std::string& path, std::string* error = nullptr);
    static std::optional<Image> fromData(const std::string& bytes, std::string* error = nullptr);

    bool isValid() const { return static_cast<bool>(pixbuf_); }
    GdkPixbuf* pixbuf() const { return pixbuf_.get(); }
    Size size() const { return size_; }
    int pixelWidth() const;
    int pixelHeight() const;

    // PNG bytes of the bitmap; empty when there is none or encoding fails.
    std::string pngData(std::string* error = nullptr) const;

  private:
    GObjectPtr<GdkPixbuf> pixbuf_;
    Size size_;
};

// The pixels of a cairo image surface as an image; invalid for a surface without them.
Image imageFromSurface(cairo_surface_t* surface);
// Draws the image's bitmap filling `rect` of the context.
void drawImage(cairo_t* cr, const Image& image, const Rect& rect);

// A new RGBA bitmap of the size (truncated to whole pixels) with the image drawn over all of it;
// none for an invalid image or an empty size.
std::optional<Image> resizeImage(const Image& image, Size size);

// The image clipped to a rectangle with rounded corners of radius `radius`; the image itself
// when it has no bitmap form.
Image roundCornersWithRadius(const Image& image, double radius);

// The unread badge over an application icon: the icon filling a square tile, and in its top-right
// corner a red rounded badge with `text` in white bold, laid out as on a 128-point tile (48 high,
// as wide as the text plus 12 but at least 48, 2 from the top and right edges, corner radius 24,
// a soft black shadow) and scaled to the tile's size. Empty text or "0" gives the icon alone.
Image badgedIcon(const Image& icon, const std::string& text);
