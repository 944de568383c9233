#include "foundation/Geometry.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
std::string number(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    // Prefer the short form when it reads back the same.
    char shorter[64];
    std::snprintf(shorter, sizeof shorter, "%g", value);
    if (std::strtod(shorter, nullptr) == value) {
        return shorter;
    }
    return buffer;
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
            double value = std::strtod(cursor, &end);
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
