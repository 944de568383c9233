#include "foundation/JsonValue.h"

#include <cmath>
#include <limits>

#include "foundation/UserDefaults.h"

namespace json_value {

const nlohmann::json* member(const nlohmann::json& object, const std::string& key) {
    if (!object.is_object()) {
        return nullptr;
    }
    auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

std::optional<bool> asBool(const nlohmann::json& value) {
    if (value.is_boolean() || value.is_number() || value.is_string()) {
        return UserDefaults::boolValue(value);
    }
    return std::nullopt;
}

std::optional<double> asNumber(const nlohmann::json& value) {
    if (value.is_boolean()) {
        return value.get<bool>() ? 1.0 : 0.0;
    }
    if (value.is_number()) {
        return value.get<double>();
    }
    return std::nullopt;
}

std::optional<bool> boolean(const nlohmann::json& object, const std::string& key) {
    const nlohmann::json* value = member(object, key);
    return value ? asBool(*value) : std::nullopt;
}

std::optional<double> number(const nlohmann::json& object, const std::string& key) {
    const nlohmann::json* value = member(object, key);
    return value ? asNumber(*value) : std::nullopt;
}

std::optional<long long> integer(const nlohmann::json& object, const std::string& key) {
    const nlohmann::json* value = member(object, key);
    if (!value) {
        return std::nullopt;
    }
    if (value->is_number_integer()) {
        return value->get<long long>();
    }
    if (value->is_number_unsigned()) {
        auto v = value->get<unsigned long long>();
        return static_cast<long long>(std::min<unsigned long long>(
            v, static_cast<unsigned long long>(std::numeric_limits<long long>::max())));
    }
    auto d = asNumber(*value);
    if (!d || std::isnan(*d)) {
        return std::nullopt;
    }
    // Truncate toward zero, saturating like a cast in the platform's number class.
    if (*d >= static_cast<double>(std::numeric_limits<long long>::max())) {
        return std::numeric_limits<long long>::max();
    }
    if (*d <= static_cast<double>(std::numeric_limits<long long>::min())) {
        return std::numeric_limits<long long>::min();
    }
    return static_cast<long long>(*d);
}

std::optional<unsigned long long> unsignedInteger(const nlohmann::json& object,
                                                  const std::string& key) {
    const nlohmann::json* value = member(object, key);
    if (!value) {
        return std::nullopt;
    }
    if (value->is_number_unsigned()) {
        return value->get<unsigned long long>();
    }
    auto v = integer(object, key);
    if (!v) {
        return std::nullopt;
    }
    // Negative values read as the same bits unsigned, as the platform does.
    return static_cast<unsigned long long>(*v);
}

std::optional<std::string> string(const nlohmann::json& object, const std::string& key) {
    const nlohmann::json* value = member(object, key);
    if (!value || !value->is_string()) {
        return std::nullopt;
    }
    return value->get<std::string>();
}

}  // namespace json_value
