#include "foundation/Geometry.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <glib.h>

namespace {
std::string number(double value) {
    // The text is stored: a point in every locale. Prefer the short form when it reads back the
    // same.
    char buffer[G_ASCII_DTOSTR_BUF_SIZE];
    g_ascii_formatd(buffer, sizeof buffer, "%g", value);
    if (g_ascii_strtod(buffer, nullptr) == value) {
        return buffer;
    }
    return g_ascii_formatd(buffer, sizeof buffer, "%.17g", value);
}
}  // namespace

std::string stringFromRect(const Rect& rect) {
    return "{{" + number(rect.origin.x) + ", " + number(rect.origin.y) + "}, {" +
           number(rect.size.width) + ", " + number(rect.size.height) + "}}";
}

Rect rectFromString(const std::string& text) {
    double values[4] = {0, 0, 0, 0};
    const char* cursor = text.c_str();
    int found = 0;
    while (*cursor && found < 4) {
        if ((*cursor >= '0' && *cursor <= '9') || *cursor == '-' || *cursor == '+' ||
            *cursor == '.') {
            char* end = nullptr;
            double value = g_ascii_strtod(cursor, &end);
            if (end == cursor) {
                ++cursor;
                continue;
            }
            values[found++] = std::isfinite(value) ? value : 0;
            cursor = end;
        } else {
            ++cursor;
        }
    }
    return Rect{{values[0], values[1]}, {values[2], values[3]}};
}
