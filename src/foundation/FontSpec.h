#pragma once

#include <optional>
#include <string>

// A font as the settings keep it: a family name and a size in points.
struct FontSpec {
    std::string family;
    double pointSize = 0;
    bool operator==(const FontSpec&) const = default;

    // The font when the system knows the family (fontconfig), otherwise nothing.
    static std::optional<FontSpec> named(const std::string& family, double pointSize);
};
