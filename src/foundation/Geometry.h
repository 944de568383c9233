#pragma once

#include <string>

struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    Point origin;
    Size size;
    bool operator==(const Rect&) const = default;
    bool isZero() const { return *this == Rect{}; }
};

// The textual rectangle form {{x, y}, {width, height}} kept in restore.json.
std::string stringFromRect(const Rect& rect);
// Reads the numbers of that form in order; missing or unreadable numbers are 0, so text that is
// not a rectangle gives the zero rectangle.
Rect rectFromString(const std::string& text);
