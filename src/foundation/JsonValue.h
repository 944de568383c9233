#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

// Type-checked reads of JSON members: a missing member or one of another type gives nothing,
// never an exception. Booleans read the way a number's or text's boolean value reads (so 1 and
// "YES" count as true); numbers accept booleans as 0 and 1.
namespace json_value {

const nlohmann::json* member(const nlohmann::json& object, const std::string& key);
std::optional<bool> boolean(const nlohmann::json& object, const std::string& key);
std::optional<double> number(const nlohmann::json& object, const std::string& key);
std::optional<long long> integer(const nlohmann::json& object, const std::string& key);
std::optional<unsigned long long> unsignedInteger(const nlohmann::json& object,
                                                  const std::string& key);
std::optional<std::string> string(const nlohmann::json& object, const std::string& key);

// The boolean reading of one value; nothing for arrays, objects and null.
std::optional<bool> asBool(const nlohmann::json& value);
std::optional<double> asNumber(const nlohmann::json& value);

}  // namespace json_value
