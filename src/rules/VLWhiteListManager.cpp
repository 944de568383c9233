#include "rules/VLWhiteListManager.h"

#include <algorithm>

#include "foundation/Files.h"
#include "foundation/JsonFile.h"
#include "foundation/JsonValue.h"
#include "foundation/Log.h"
#include "foundation/NoDestructor.h"
#include "foundation/Url.h"
#include "rules/UrlPattern.h"
#include "stores/VLFileManager.h"

// The keys of whitelist.json, spelled as stored.
namespace key {
constexpr const char* allowAll = "allowAll";
constexpr const char* allowPatterns = "allowPatterns";
constexpr const char* allowSubdomains = "allowSubdomains";
constexpr const char* pattern = "pattern";
}  // namespace key

namespace {
std::vector<std::string_view> splitAtDots(std::string_view text) {
    std::vector<std::string_view> labels;
    size_t start = 0;
    for (;;) {
        size_t dot = text.find('.', start);
        if (dot == std::string_view::npos) {
            labels.push_back(text.substr(start));
            return labels;
        }
        labels.push_back(text.substr(start, dot - start));
        start = dot + 1;
    }
}

std::optional<std::string> reduceFirstPiece(const std::string& pattern) {
    std::optional<std::string_view> first = UrlPattern::firstPiece(pattern);
    return first ? VLWhiteListManager::mainDomain(std::string(*first)) : std::nullopt;
}
}  // namespace

VLWhiteListManager& VLWhiteListManager::sharedManager() {
    static NoDestructor<VLWhiteListManager> manager;
    return *manager;
}

VLWhiteListManager::VLWhiteListManager() {
    loadPatterns();
}

VLWhiteListManager::VLWhiteListManager(std::string path) : path_(std::move(path)) {
    loadPatterns();
}

std::string VLWhiteListManager::getPath() {
    if (!path_) {
        std::string folder = VLFileManager::getSettingsPath();
        if (folder.empty() || folder.back() != '/') {
            folder += '/';
        }
        path_ = folder + "whitelist.json";
    }
    return *path_;
}

void VLWhiteListManager::resetToDefaults() {
    removeAllPatterns();
    allowAll_ = true;
    allowPatterns_ = false;
    allowSubdomains_ = false;
}

void VLWhiteListManager::loadPatterns() {
    resetToDefaults();
    const std::string path = getPath();
    std::optional<nlohmann::json> document = JsonFile::loadDocument(path, JsonFile::Kind::Object);
    if (!document) {
        return;
    }
    const nlohmann::json& object = *document;
    auto readBool = [&](const char* key) {
        const nlohmann::json* value = json_value::member(object, key);
        if (!value) {
            return false;
        }
        std::optional<bool> flag = json_value::asBool(*value);
        if (!flag) {
            Log::warning(path, ": \"", key, "\" is not a boolean; read as false");
        }
        return flag.value_or(false);
    };
    allowAll_ = readBool(key::allowAll);
    allowPatterns_ = readBool(key::allowPatterns);
    allowSubdomains_ = readBool(key::allowSubdomains);
    const nlohmann::json* list = json_value::member(object, key::pattern);
    if (!list) {
        return;
    }
    if (!list->is_array()) {
        Log::warning(path, ": \"pattern\" is not an array; no patterns");
        return;
    }
    size_t index = 0;
    for (const nlohmann::json& entry : *list) {
        if (entry.is_string()) {
            addPattern(entry.get<std::string>());
        } else {
            Log::warning(path, ": pattern ", index, " is not a string; skipped");
        }
        ++index;
    }
}

bool VLWhiteListManager::savePatterns() {
    nlohmann::json object = {{key::allowAll, allowAll_},
                             {key::allowPatterns, allowPatterns_},
                             {key::pattern, patterns_},
                             {key::allowSubdomains, allowSubdomains_}};
    if (std::string error = JsonFile::save(getPath(), object); !error.empty()) {
        Log::warning("not saved: ", error);
        return false;
    }
    return true;
}

void VLWhiteListManager::addPattern(const std::string& pattern) {
    if (!present_.insert(pattern).second) {
        return;
    }
    patterns_.push_back(pattern);
    reducedFirstPieces_.push_back(reduceFirstPiece(pattern));
}

void VLWhiteListManager::removePattern(const std::string& pattern) {
    if (present_.erase(pattern) == 0) {
        return;
    }
    auto it = std::find(patterns_.begin(), patterns_.end(), pattern);
    reducedFirstPieces_.erase(reducedFirstPieces_.begin() + (it - patterns_.begin()));
    patterns_.erase(it);
}

void VLWhiteListManager::removeAllPatterns() {
    patterns_.clear();
    reducedFirstPieces_.clear();
    present_.clear();
}

bool VLWhiteListManager::isUrlAllow(const std::string& url) const {
    if (allowAll_) {
        return true;
    }
    for (size_t i = 0; i < patterns_.size(); ++i) {
        // The reduction is a pure function of the pattern, worked out when it was added.
        std::optional<std::string_view> first;
        if (allowSubdomains_ && reducedFirstPieces_[i]) {
            first = *reducedFirstPieces_[i];
        }
        if (UrlPattern::matchesReplacingFirst(url, patterns_[i], first)) {
            return allowPatterns_;
        }
    }
    return !allowPatterns_;
}

std::optional<std::string> VLWhiteListManager::mainDomain(const std::string& text) {
    std::vector<std::string_view> labels;
    std::string host;
    if (text.starts_with("http://") || text.starts_with("https://")) {
        std::optional<Url> url = Url::parse(text);
        if (!url) {
            return std::nullopt;
        }
        host = url->host();
        if (!host.empty()) {
            labels = splitAtDots(host);
        }
    } else {
        labels = splitAtDots(text);
    }
    if (labels.size() < 3) {
        return std::nullopt;
    }
    std::string result(labels[labels.size() - 2]);
    result += '.';
    result += labels.back();
    return result;
}
