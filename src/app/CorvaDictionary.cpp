#include "app/CorvaDictionary.h"

#include <cmath>
#include <limits>

#include "foundation/JsonValue.h"
#include "foundation/Log.h"

namespace {
void wrongType(const std::string& key, const char* expected, const char* reading) {
    Log::warning("Bundle configuration: \"", key, "\" is not ", expected, "; read as ", reading);
}
}  // namespace

CorvaDictionary::CorvaDictionary(std::optional<nlohmann::json> values) {
    if (values && !values->is_object()) {
        values = nlohmann::json::object();
    }
    values_ = std::move(values);
}

const nlohmann::json* CorvaDictionary::member(const std::string& key) const {
    return values_ ? json_value::member(*values_, key) : nullptr;
}

bool CorvaDictionary::boolean(const std::string& key) const {
    const nlohmann::json* value = member(key);
    if (!value) {
        return false;
    }
    if (!value->is_boolean() && !value->is_number()) {
        wrongType(key, "a boolean", "false");
        return false;
    }
    return json_value::asBool(*value).value_or(false);
}

std::optional<double> CorvaDictionary::number(const std::string& key) const {
    const nlohmann::json* value = member(key);
    if (!value) {
        return std::nullopt;
    }
    std::optional<double> number = json_value::asNumber(*value);
    if (!number || !std::isfinite(*number)) {
        wrongType(key, "a finite number", "absent");
        return std::nullopt;
    }
    return number;
}

long long CorvaDictionary::integer(const std::string& key) const {
    std::optional<double> value = number(key);
    if (!value) {
        return 0;
    }
    // Saturate instead of converting an out-of-range double (undefined behaviour).
    constexpr double kMax = static_cast<double>(std::numeric_limits<long long>::max());
    constexpr double kMin = static_cast<double>(std::numeric_limits<long long>::min());
    if (*value >= kMax) {
        return std::numeric_limits<long long>::max();
    }
    if (*value <= kMin) {
        return std::numeric_limits<long long>::min();
    }
    return static_cast<long long>(*value);
}

std::optional<std::string> CorvaDictionary::string(const std::string& key) const {
    const nlohmann::json* value = member(key);
    if (!value) {
        return std::nullopt;
    }
    if (!value->is_string()) {
        wrongType(key, "a string", "absent");
        return std::nullopt;
    }
    return value->get<std::string>();
}

std::optional<std::string> CorvaDictionary::nonEmptyString(const std::string& key) const {
    std::optional<std::string> text = string(key);
    if (text && text->empty()) {
        return std::nullopt;
    }
    return text;
}

std::vector<std::string> CorvaDictionary::strings(const std::string& key) const {
    std::vector<std::string> result;
    const nlohmann::json* value = member(key);
    if (!value) {
        return result;
    }
    if (!value->is_array()) {
        wrongType(key, "an array", "empty");
        return result;
    }
    for (size_t i = 0; i < value->size(); ++i) {
        const nlohmann::json& element = (*value)[i];
        if (!element.is_string()) {
            Log::warning("Bundle configuration: element ", i, " of \"", key,
                         "\" is not a string; skipped");
            continue;
        }
        result.push_back(element.get<std::string>());
    }
    return result;
}
