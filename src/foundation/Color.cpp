#include "foundation/Color.h"

namespace {
// Adwaita's window background, until the toolkit tells us the theme's.
Color gWindowBackground = Color::rgb(246 / 255.0, 245 / 255.0, 244 / 255.0);
}  // namespace

Color Color::windowBackground() {
    return gWindowBackground;
}

void Color::setWindowBackground(const Color& color) {
    gWindowBackground = color;
}
