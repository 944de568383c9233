#include "foundation/JavaScript.h"

#include <nlohmann/json.hpp>

std::string javaScriptString(const std::string& text) {
    std::string literal =
        nlohmann::json(text).dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
    for (auto at = literal.find("</"); at != std::string::npos; at = literal.find("</", at + 3)) {
        literal.replace(at, 2, "<\\/");
    }
    return literal;
}
