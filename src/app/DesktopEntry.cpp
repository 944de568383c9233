#include "app/DesktopEntry.h"

#include "foundation/Paths.h"

std::string DesktopEntry::execArgument(const std::string& argument) {
    static const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string out;
    bool quote = argument.empty();
    for (char c : argument) {
        quote = quote || reserved.find(c) != std::string::npos;
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            out += '\\';
        }
        // A lone % would start a field code.
        out += c == '%' ? std::string("%%") : std::string(1, c);
    }
    return quote ? "\"" + out + "\"" : out;
}

std::string DesktopEntry::escapeValue(const std::string& value) {
    std::string out;
    for (char c : value) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string DesktopEntry::text(const Fields& fields) {
    std::string out = "[Desktop Entry]\nType=Application\n";
    out += "Name=" + escapeValue(fields.name) + "\n";
    if (!fields.comment.empty() && fields.comment != fields.name) {
        out += "Comment=" + escapeValue(fields.comment) + "\n";
    }
    out += "Exec=" + escapeValue(execArgument(fields.executable)) + " %U\n";
    out += "Icon=" + escapeValue(fields.applicationId) + "\n";
    out += "StartupWMClass=" + escapeValue(fields.applicationId) + "\n";
    out += "StartupNotify=true\nTerminal=false\nCategories=Network;\n";
    return out;
}

std::string DesktopEntry::path(const std::string& applicationId) {
    return Paths::dataHome() + "/applications/" + applicationId + ".desktop";
}

std::string DesktopEntry::iconPath(const std::string& applicationId, int size) {
    const std::string folder = std::to_string(size) + "x" + std::to_string(size);
    return Paths::dataHome() + "/icons/hicolor/" + folder + "/apps/" + applicationId + ".png";
}
