#include "filterlists/UrlFilterPattern.h"

#include <algorithm>
#include <cstring>

namespace {
bool isHostChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_';
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

void appendLiteral(std::string& out, char c) {
    if (c != '\0' && std::strchr(".?+()[]{}\\$^|", c)) {
        out += '\\';
    }
    out += c;
}
}  // namespace

bool UrlFilterPattern::isHostOnly(std::string_view pattern) {
    if (!pattern.starts_with("||") || !pattern.ends_with('^') || pattern.size() < 4) {
        return false;
    }
    std::string_view host = pattern.substr(2, pattern.size() - 3);
    return std::all_of(host.begin(), host.end(), isHostChar);
}

std::string_view UrlFilterPattern::host(std::string_view pattern) {
    return pattern.substr(2, pattern.size() - 3);
}

std::optional<std::string> UrlFilterPattern::convert(std::string_view pattern,
                                                     std::string& reason) {
    if (pattern.size() > 2 && pattern.starts_with('/') && pattern.ends_with('/')) {
        return convertRegex(pattern.substr(1, pattern.size() - 2), reason);
    }
    if (!isAscii(pattern)) {
        reason = "non-ASCII pattern";
        return std::nullopt;
    }
    std::string out;
    bool hostPart = false;
    if (pattern.starts_with("||")) {
        out = kHostAnchor;
        pattern.remove_prefix(2);
        hostPart = true;
    } else if (pattern.starts_with('|')) {
        out = "^";
        pattern.remove_prefix(1);
    }
    bool endAnchor = false;
    if (pattern.ends_with('|')) {
        endAnchor = true;
        pattern.remove_suffix(1);
    }
    // Leading and trailing wildcards add nothing: the engine looks anywhere in the address.
    if (out.empty()) {
        while (pattern.starts_with('*')) {
            pattern.remove_prefix(1);
        }
    }
    if (!endAnchor) {
        while (pattern.ends_with('*')) {
            pattern.remove_suffix(1);
        }
    }
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        const bool last = i + 1 == pattern.size();
        if (c == '*') {
            if (!out.ends_with(".*")) {
                out += ".*";
            }
            hostPart = false;
        } else if (c == '^') {
            if (hostPart) {
                // Addresses the engine sees always have a path after the host.
                out += "[:/]";
            } else if (last) {
                // A separator or the end of the address, without alternation.
                out += std::string("(") + kSeparator + (endAnchor ? "" : ".*") + ")?$";
                endAnchor = false;
            } else {
                out += kSeparator;
            }
            hostPart = false;
        } else {
            if (!isHostChar(c)) {
                hostPart = false;
            }
            appendLiteral(out, c);
        }
    }
    if (endAnchor) {
        out += '$';
    }
    if (out.empty() || out == "^") {
        out = ".*";
    }
    return out;
}

std::optional<std::string> UrlFilterPattern::convertRegex(std::string_view body,
                                                          std::string& reason) {
    if (!isAscii(body)) {
        reason = "non-ASCII pattern";
        return std::nullopt;
    }
    std::string out;
    bool inClass = false;
    for (size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '\\' && i + 1 < body.size()) {
            const char next = body[++i];
            if (next == 'd') {
                out += inClass ? "0-9" : "[0-9]";
            } else if (std::strchr("DwWsSbB123456789", next)) {
                reason = "unsupported regex";
                return std::nullopt;
            } else {
                out += '\\';
                out += next;
            }
            continue;
        }
        if (inClass) {
            inClass = c != ']';
        } else if (c == '[') {
            inClass = true;
        } else if (c == '|' || c == '{' ||
                   (c == '(' && i + 1 < body.size() && body[i + 1] == '?')) {
            reason = "unsupported regex";
            return std::nullopt;
        } else if ((c == '^' && i != 0) || (c == '$' && i + 1 != body.size())) {
            reason = "unsupported regex";
            return std::nullopt;
        }
        out += c;
    }
    if (inClass || out.empty()) {
        reason = "unsupported regex";
        return std::nullopt;
    }
    return out;
}
