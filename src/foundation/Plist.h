#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

// Property lists (XML or binary) as JSON values: dictionaries become objects, arrays arrays,
// booleans, integers, reals and strings themselves; dates become ISO 8601 text and data its
// bytes as a string.
class Plist {
  public:
    // Absent when the file cannot be read or is not a property list; `error` says why.
    static std::optional<nlohmann::json> readFile(const std::string& path,
                                                  std::string* error = nullptr);
    static std::optional<nlohmann::json> parse(const std::string& bytes,
                                               std::string* error = nullptr);
    // XML property list text of a JSON value (null members are left out).
    static std::string toXml(const nlohmann::json& value);
};
