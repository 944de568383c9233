#include "preferences/VLIntegerValueFormatter.h"

#include <cctype>
#include <cstdlib>

bool VLIntegerValueFormatter::isPartialStringValid(const std::string& text) {
    if (text.empty()) {
        return true;
    }
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    const size_t digits = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    return i > digits && i == text.size();
}

double VLIntegerValueFormatter::numberFrom(const std::string& text) {
    return text.empty() ? 0 : std::strtod(text.c_str(), nullptr);
}
