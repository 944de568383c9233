#include "rules/VLPattern.h"

#include "foundation/JsonValue.h"
#include "foundation/Log.h"

long VLPattern::readState(const nlohmann::json& dictionary, const std::string& name) {
    std::optional<long long> state = json_value::integer(dictionary, "state");
    if (!state && json_value::member(dictionary, "state")) {
        Log::warning("\"", name, "\": \"state\" is not a number; read as 0");
    }
    return static_cast<long>(state.value_or(0));
}

std::optional<VLPattern> VLPattern::initWithDictionary(const nlohmann::json& dictionary) {
    std::optional<std::string> name = json_value::string(dictionary, "name");
    if (!name) {
        return std::nullopt;
    }
    long state = readState(dictionary, *name);
    return VLPattern(std::move(*name), state);
}

nlohmann::json VLPattern::toDictionary() const {
    return {{"name", name_}, {"state", state_}};
}
