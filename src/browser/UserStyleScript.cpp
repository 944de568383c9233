#include "browser/UserStyleScript.h"

#include <glib.h>

#include "foundation/JavaScript.h"

std::string UserStyleScript::wrap(const std::string& css) {
    // The text goes in as a string literal, so every character stays what it was: a line break
    // stays a line break, and a backquote or "${" is plain text.
    return "(function() {var css = " + javaScriptString(css) +
           ";"
           "if (typeof GM_addStyle != 'undefined') { GM_addStyle(css); }"
           " else if (typeof PRO_addStyle != 'undefined') { PRO_addStyle(css); }"
           " else if (typeof addStyle != 'undefined') { addStyle(css); }"
           " else { var node = document.createElement('style'); node.type = 'text/css';"
           " node.appendChild(document.createTextNode(css));"
           " var heads = document.getElementsByTagName('head');"
           " if (heads.length > 0) { heads[0].appendChild(node); }"
           " else { document.documentElement.appendChild(node); } }"
           "})();";
}

std::string UserStyleScript::fontStyle(const FontSpec& font) {
    char size[G_ASCII_DTOSTR_BUF_SIZE];
    // CSS wants a point, whatever the user's locale.
    g_ascii_formatd(size, sizeof size, "%f", font.pointSize);
    return "h1, h2, h3, p, a {\nfont-family: " + font.family + ";\nfont-size: " + size + "px;\n}";
}
