#pragma once

#include <string>

#include "foundation/FontSpec.h"

// Page scripts that add a style sheet: through the page's own GM_addStyle, PRO_addStyle or
// addStyle when defined, else a <style> element in the head (or the document element).
class UserStyleScript {
  public:
    // The style text goes in as a JavaScript string literal, exactly as written: nothing in it
    // can end the literal and run as script, and its line breaks stay line breaks.
    static std::string wrap(const std::string& css);
    // "h1, h2, h3, p, a {\nfont-family: <family>;\nfont-size: <size>px;\n}"
    static std::string fontStyle(const FontSpec& font);
};
