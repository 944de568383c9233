#pragma once

#include <string>

#include "foundation/FontSpec.h"

// Page scripts that add a style sheet: through the page's own GM_addStyle, PRO_addStyle or
// addStyle when defined, else a <style> element in the head (or the document element).
class UserStyleScript {
  public:
    // The style text goes into a template literal, one line per line break; backslashes,
    // backquotes and "${" are escaped so no style text can end the literal and run as script.
    static std::string wrap(const std::string& css);
    // "h1, h2, h3, p, a {\nfont-family: <family>;\nfont-size: <size>px;\n}"
    static std::string fontStyle(const FontSpec& font);
};
