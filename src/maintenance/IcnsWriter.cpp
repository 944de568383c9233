#include "maintenance/IcnsWriter.h"

#include <algorithm>
#include <cstdint>

#include "foundation/Files.h"

namespace {
void appendBigEndian(std::string& out, uint32_t value) {
    out.push_back(static_cast<char>((value >> 24) & 0xFF));
    out.push_back(static_cast<char>((value >> 16) & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
    out.push_back(static_cast<char>(value & 0xFF));
}

void appendElement(std::string& out, const char* type, const std::string& data) {
    out += type;
    appendBigEndian(out, static_cast<uint32_t>(8 + data.size()));
    out += data;
}

// The classic 128-pixel pair: "it32" (each colour channel as literal runs of the icon RLE)
// and "t8mk" (the alpha mask). Readers that do not take PNG elements, gdk-pixbuf among them,
// read these.
void appendClassicElements(std::string& out, GdkPixbuf* pixbuf) {
    const int width = gdk_pixbuf_get_width(pixbuf);
    const int height = gdk_pixbuf_get_height(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
    auto sample = [&](int index, int channel) {
        const guchar* p = pixels + static_cast<ptrdiff_t>(index / width) * stride +
                          static_cast<ptrdiff_t>(index % width) * channels;
        return static_cast<char>(p[channel]);
    };
    const int count = width * height;
    std::string rgb(4, '\0');  // it32 data starts with four zero bytes
    for (int channel = 0; channel < 3; ++channel) {
        for (int start = 0; start < count; start += 128) {
            int run = std::min(128, count - start);
            rgb.push_back(static_cast<char>(run - 1));
            for (int i = start; i < start + run; ++i) {
                rgb.push_back(sample(i, channel));
            }
        }
    }
    std::string mask;
    mask.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        mask.push_back(alpha ? sample(i, 3) : static_cast<char>(0xFF));
    }
    appendElement(out, "it32", rgb);
    appendElement(out, "t8mk", mask);
}
}  // namespace

std::string IcnsWriter::encode(const Image& image, std::string* error) {
    std::string png = image.pngData(error);
    if (png.empty()) {
        return {};
    }
    std::string body;
    appendElement(body, "ic07", png);
    if (image.pixelWidth() == 128 && image.pixelHeight() == 128) {
        appendClassicElements(body, image.pixbuf());
    }
    std::string out = "icns";
    appendBigEndian(out, static_cast<uint32_t>(8 + body.size()));
    return out + body;
}

std::string IcnsWriter::write(const Image& image, const std::string& path) {
    std::string error;
    std::string bytes = encode(image, &error);
    if (bytes.empty()) {
        return error.empty() ? "cannot encode icon" : error;
    }
    return Files::writeAtomically(path, bytes, Files::kSharedFile);
}
