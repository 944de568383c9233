#include "browser/UserStyleScript.h"

#include <cstdio>

std::string UserStyleScript::wrap(const std::string& css) {
    std::string escaped;
    escaped.reserve(css.size() + 16);
    for (size_t i = 0; i < css.size(); ++i) {
        char c = css[i];
        if (c == '\\' || c == '`') {
            escaped += '\\';
            escaped += c;
        } else if (c == '$' && i + 1 < css.size() && css[i + 1] == '{') {
            escaped += "\\$";
        } else if (c == '\n') {
            escaped += "\\\n";
        } else {
            escaped += c;
        }
    }
    return "(function() {var css = `" + escaped +
           "`;"
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
    char size[64];
    std::snprintf(size, sizeof size, "%f", font.pointSize);
    return "h1, h2, h3, p, a {\nfont-family: " + font.family + ";\nfont-size: " + size + "px;\n}";
}
