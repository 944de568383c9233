#include "rules/VLRule.h"

#include "foundation/JsonValue.h"
#include "foundation/Log.h"

// The keys of a rule in userscripts.json and userstyles.json.
namespace key {
constexpr const char* pattern = "pattern";
constexpr const char* script = "script";
}  // namespace key

std::optional<VLRule> VLRule::initWithDictionary(const nlohmann::json& dictionary) {
    std::optional<std::string> name = json_value::string(dictionary, "name");
    if (!name) {
        return std::nullopt;
    }
    VLRule rule(*name, readState(dictionary, *name));
    if (const nlohmann::json* script = json_value::member(dictionary, key::script)) {
        if (script->is_string()) {
            rule.script_ = script->get<std::string>();
        } else {
            Log::warning("rule \"", *name, "\": \"script\" is not a string; no text");
        }
    }
    const nlohmann::json* patterns = json_value::member(dictionary, key::pattern);
    if (!patterns) {
        return rule;
    }
    if (!patterns->is_object()) {
        Log::warning("rule \"", *name, "\": \"pattern\" is not an object; no patterns");
        return rule;
    }
    // The member keys are not trusted: each pattern goes under its own inner name.
    for (const auto& [key, value] : patterns->items()) {
        std::optional<VLPattern> pattern = VLPattern::initWithDictionary(value);
        if (!pattern) {
            Log::warning("rule \"", *name, "\": pattern \"", key,
                         "\" is not an object with a string \"name\"; skipped");
            continue;
        }
        rule.patterns_.insert_or_assign(pattern->name(), std::move(*pattern));
    }
    return rule;
}

nlohmann::json VLRule::toDictionary() const {
    nlohmann::json patterns = nlohmann::json::object();
    for (const auto& [name, pattern] : patterns_) {
        patterns[name] = pattern.toDictionary();
    }
    nlohmann::json dictionary = {{"name", name_}, {"state", state_}, {key::pattern, patterns}};
    if (script_) {
        dictionary[key::script] = *script_;
    }
    return dictionary;
}

void VLRule::addPattern(const std::string& name, long state) {
    patterns_.insert_or_assign(name, VLPattern(name, state));
}

void VLRule::removePattern(const std::string& name) {
    patterns_.erase(name);
}

VLPattern* VLRule::findPattern(const std::string& name) {
    auto it = patterns_.find(name);
    return it == patterns_.end() ? nullptr : &it->second;
}

const VLPattern* VLRule::findPattern(const std::string& name) const {
    auto it = patterns_.find(name);
    return it == patterns_.end() ? nullptr : &it->second;
}

void VLRule::renamePattern(const std::string& from, const std::string& to) {
    auto it = patterns_.find(from);
    if (it == patterns_.end()) {
        return;
    }
    VLPattern pattern = std::move(it->second);
    patterns_.erase(it);
    pattern.setName(to);
    patterns_.insert_or_assign(to, std::move(pattern));
}

std::vector<std::string> VLRule::patternNames() const {
    std::vector<std::string> names;
    names.reserve(patterns_.size());
    for (const auto& entry : patterns_) {
        names.push_back(entry.first);
    }
    return names;
}

std::optional<std::string> VLRule::findPatternThatContans(const std::string& url) const {
    // A pattern text with a star can only occur literally in a URL that holds a star.
    const bool urlHasStar = url.find('*') != std::string::npos;
    for (const auto& [name, pattern] : patterns_) {
        if (pattern.state() == 0) {
            continue;
        }
        // Without a star the piece search is the literal search: do it once.
        const bool hasStar = name.find('*') != std::string::npos;
        if ((!hasStar || urlHasStar) && UrlPattern::find(url, name)) {
            return name;
        }
        if (hasStar && UrlPattern::matchesReplacingFirst(url, name, std::nullopt)) {
            return name;
        }
    }
    return std::nullopt;
}
