#pragma once

#include <cstddef>
#include <vector>

// A colour as its components in a colour space (alpha last), the way the settings keep it.
struct Color {
    enum class Space { DeviceRGB, CalibratedRGB, SRGB, Gray };

    Space space = Space::DeviceRGB;
    std::vector<double> components;  // RGB spaces: r, g, b[, a]; Gray: white[, a]

    static Color rgb(double r, double g, double b, double a = 1.0, Space space = Space::DeviceRGB) {
        return Color{space, {r, g, b, a}};
    }
    static Color white(double w, double a = 1.0) { return Color{Space::Gray, {w, a}}; }

    bool isRGB() const { return space != Space::Gray; }
    double component(std::size_t i, double missing = 0.0) const {
        return i < components.size() ? components[i] : missing;
    }
    double red() const { return component(0); }
    double green() const { return isRGB() ? component(1) : component(0); }
    double blue() const { return isRGB() ? component(2) : component(0); }
    double alpha() const { return component(isRGB() ? 3 : 1, 1.0); }

    bool operator==(const Color&) const = default;

    // The desktop's window background; the toolkit layer replaces the built-in value with
    // its theme's colour once it runs.
    static Color windowBackground();
    static void setWindowBackground(const Color& color);
};
