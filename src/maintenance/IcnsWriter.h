#pragma once

#include <string>

#include "maintenance/Image.h"

// Writes an Apple icon file: a PNG element ("ic07", 128x128) and, for a 128-pixel image, the
// classic "it32"/"t8mk" pair that gdk-pixbuf reads. The image is used as it is; callers resize.
class IcnsWriter {
  public:
    // The ICNS bytes of the image; empty with `error` set when it has no bitmap or cannot be
    // encoded.
    static std::string encode(const Image& image, std::string* error = nullptr);
    // Returns an empty string on success, otherwise what went wrong. Writes atomically.
    static std::string write(const Image& image, const std::string& path);
};
