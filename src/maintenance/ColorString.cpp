#include "maintenance/ColorString.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <glib.h>

namespace {
// A float's leading number, as a string's floatValue reads it: 0 when there is none. The
// stored text always has a point, whatever the user's locale.
double leadingFloat(const std::string& piece) {
    const char* start = piece.c_str();
    char* end = nullptr;
    auto value = static_cast<float>(g_ascii_strtod(start, &end));
    if (end == start) {
        return 0.0;
    }
    return static_cast<double>(value);
}
}  // namespace

std::string stringRepresentation(const Color& color) {
    std::string text;
    char buffer[64];
    for (double component : color.components) {
        text += g_ascii_formatd(buffer, sizeof buffer, "%f", component);
        text += ' ';
    }
    if (!text.empty()) {
        text.pop_back();
    }
    return text;
}

std::optional<Color> colorFromString(const std::string& text, Color::Space space) {
    std::vector<std::string> pieces;
    size_t start = 0;
    for (;;) {
        size_t blank = text.find(' ', start);
        pieces.push_back(text.substr(start, blank == std::string::npos ? blank : blank - start));
        if (pieces.size() > 10) {
            return std::nullopt;
        }
        if (blank == std::string::npos) {
            break;
        }
        start = blank + 1;
    }
    Color color;
    color.space = space;
    for (const std::string& piece : pieces) {
        color.components.push_back(leadingFloat(piece));
    }
    return color;
}

std::string cssRgba(const Color& color) {
    char alpha[G_ASCII_DTOSTR_BUF_SIZE];
    g_ascii_formatd(alpha, sizeof alpha, "%.3f", color.alpha());
    return "rgba(" + std::to_string(static_cast<int>(color.red() * 255 + 0.5)) + ", " +
           std::to_string(static_cast<int>(color.green() * 255 + 0.5)) + ", " +
           std::to_string(static_cast<int>(color.blue() * 255 + 0.5)) + ", " + alpha + ")";
}

bool colorIsLight(const Color& color) {
    double brightness;
    if (color.isRGB()) {
        brightness = (color.red() * 299 + color.green() * 587 + color.blue() * 114) / 1000;
    } else {
        brightness = color.component(0);
    }
    return brightness >= 0.5;
}

Color colorWithHexColorString(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
        i += 2;
    }
    uint64_t value = 0;
    bool overflow = false;
    for (; i < text.size() && std::isxdigit(static_cast<unsigned char>(text[i])); ++i) {
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        int digit = c <= '9' ? c - '0' : c - 'a' + 10;
        value = value * 16 + static_cast<uint64_t>(digit);
        if (value > UINT32_MAX) {
            overflow = true;
            value = UINT32_MAX;
        }
    }
    uint32_t rgb = overflow ? UINT32_MAX : static_cast<uint32_t>(value);
    return Color::rgb(((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                      (rgb & 0xFF) / 255.0, 1.0, Color::Space::CalibratedRGB);
}
