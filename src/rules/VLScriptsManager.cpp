#include "rules/VLScriptsManager.h"

#include "foundation/Bundle.h"
#include "foundation/Files.h"
#include "foundation/JsonFile.h"
#include "foundation/Log.h"
#include "foundation/NoDestructor.h"

VLScriptsManager& VLScriptsManager::sharedManager() {
    static VLScriptsManager& instance = []() -> VLScriptsManager& {
        static NoDestructor<VLScriptsManager> manager;
        manager->loadJson();
        return *manager;
    }();
    return instance;
}

std::string VLScriptsManager::getJsonPath() {
    if (!jsonPath_) {
        jsonPath_ = Bundle::main().bundlePath() + "/Contents/Resources/Scripts/userscripts.json";
    }
    return *jsonPath_;
}

void VLScriptsManager::loadJson() {
    rules_.clear();
    const std::string path = getJsonPath();
    std::optional<nlohmann::json> document = JsonFile::loadDocument(path, JsonFile::Kind::Array);
    if (!document) {
        return;
    }
    size_t index = 0;
    for (const nlohmann::json& entry : *document) {
        std::optional<VLRule> rule = VLRule::initWithDictionary(entry);
        if (!rule) {
            Log::warning(path, ": entry ", index,
                         " is not an object with a string \"name\"; skipped");
        } else {
            std::string name = rule->name();
            rules_.insert_or_assign(std::move(name), std::move(*rule));
        }
        ++index;
    }
}

bool VLScriptsManager::saveJson() {
    nlohmann::json array = nlohmann::json::array();
    for (const auto& entry : rules_) {
        array.push_back(entry.second.toDictionary());
    }
    if (std::string error = JsonFile::save(getJsonPath(), array); !error.empty()) {
        Log::warning("not saved: ", error);
        return false;
    }
    return true;
}

VLRule* VLScriptsManager::findRule(const std::string& name) {
    auto it = rules_.find(name);
    return it == rules_.end() ? nullptr : &it->second;
}

const VLRule* VLScriptsManager::findRule(const std::string& name) const {
    auto it = rules_.find(name);
    return it == rules_.end() ? nullptr : &it->second;
}

void VLScriptsManager::addRule(const std::string& name, long state) {
    rules_.insert_or_assign(name, VLRule(name, state));
}

void VLScriptsManager::renameRule(const std::string& from, const std::string& to) {
    auto it = rules_.find(from);
    if (it == rules_.end()) {
        return;
    }
    VLRule rule = std::move(it->second);
    rules_.erase(it);
    rule.setName(to);
    rules_.insert_or_assign(to, std::move(rule));
}

void VLScriptsManager::removeRule(const std::string& name) {
    rules_.erase(name);
}

void VLScriptsManager::addPattern(const std::string& pattern, const std::string& rule, long state) {
    if (VLRule* found = findRule(rule)) {
        found->addPattern(pattern, state);
    }
}

void VLScriptsManager::removePattern(const std::string& pattern, const std::string& rule) {
    if (VLRule* found = findRule(rule)) {
        found->removePattern(pattern);
    }
}

void VLScriptsManager::renamePattern(const std::string& from, const std::string& to,
                                     const std::string& rule) {
    if (VLRule* found = findRule(rule)) {
        found->renamePattern(from, to);
    }
}

void VLScriptsManager::addScript(const std::optional<std::string>& text, const std::string& rule) {
    if (VLRule* found = findRule(rule)) {
        found->setScript(text);
    }
}

std::optional<std::string> VLScriptsManager::scriptForRule(const std::string& rule) const {
    const VLRule* found = findRule(rule);
    return found ? found->script() : std::nullopt;
}

long VLScriptsManager::getRuleState(const std::string& rule) const {
    const VLRule* found = findRule(rule);
    return found ? found->state() : 0;
}

long VLScriptsManager::getPatternState(const std::string& pattern, const std::string& rule) const {
    const VLRule* found = findRule(rule);
    const VLPattern* p = found ? found->findPattern(pattern) : nullptr;
    return p ? p->state() : 0;
}

void VLScriptsManager::setState(long state, const std::string& rule) {
    if (VLRule* found = findRule(rule)) {
        found->setState(state);
    }
}

void VLScriptsManager::setState(long state, const std::string& rule, const std::string& pattern) {
    addPattern(pattern, rule, state);
}

std::vector<std::string> VLScriptsManager::rulesArray() const {
    std::vector<std::string> names;
    names.reserve(rules_.size());
    for (const auto& entry : rules_) {
        names.push_back(entry.first);
    }
    return names;
}

std::optional<std::vector<std::string>> VLScriptsManager::patternsNamesForRule(
    const std::string& rule) const {
    const VLRule* found = findRule(rule);
    if (!found) {
        return std::nullopt;
    }
    return found->patternNames();
}

std::optional<std::string> VLScriptsManager::findScriptFor(const std::string& url) const {
    for (const auto& [name, rule] : rules_) {
        if (rule.state() == 0) {
            continue;
        }
        if (rule.findPatternThatContans(url)) {
            // The first matching rule decides, even when it has no text.
            return rule.script();
        }
    }
    return std::nullopt;
}
