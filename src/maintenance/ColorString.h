#pragma once

#include <optional>
#include <string>

#include "foundation/Color.h"

// The colour's text form: every component with "%f" (alpha last), separated by single blanks.
std::string stringRepresentation(const Color& color);

// Reads that form back: pieces split at every single blank (empty pieces read as 0), each read
// as a float's leading number. More than 10 pieces give no colour.
std::optional<Color> colorFromString(const std::string& text, Color::Space space);

// CSS "rgba(r, g, b, a)" with 0-255 channels and a point in the alpha in every locale.
std::string cssRgba(const Color& color);

// Perceived brightness (r*299 + g*587 + b*114) / 1000 for RGB, the white value otherwise;
// light from 0.5 up.
bool colorIsLight(const Color& color);

// Hexadecimal RGB as a scanner reads one integer: blanks, optional 0x/0X, hex digits up to the
// first other character; unreadable text is 0 (black), overflow saturates at 0xFFFFFFFF.
Color colorWithHexColorString(const std::string& text);
