#include "stores/VLRestoreManager.h"

#include <algorithm>
#include <charconv>

#include "foundation/Log.h"

// The keys of restore.json, spelled as stored.
namespace key {
constexpr const char* windowFrame = "windowFrame";
}  // namespace key

namespace {
// The position of "window<N>", or nothing for other keys.
std::optional<unsigned long> windowPosition(const std::string& key) {
    static const std::string prefix = "window";
    if (key.size() <= prefix.size() || key.compare(0, prefix.size(), prefix) != 0) {
        return std::nullopt;
    }
    unsigned long value = 0;
    const char* first = key.data() + prefix.size();
    const char* last = key.data() + key.size();
    auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last) {
        return std::nullopt;
    }
    return value;
}
}  // namespace

void VLRestoreManager::updateToNewFormat() {
    if (hasCurrentVersion()) {
        return;
    }
    // The old layout kept a window's URLs as the members of its object.
    std::vector<std::string> keys;
    for (const auto& [key, value] : json_.items()) {
        // An entry already holding a "url" array is in the new layout: keep it as it is.
        auto url = value.is_object() ? value.find("url") : value.end();
        if (key.rfind("window", 0) == 0 && value.is_object() &&
            (url == value.end() || !url->is_array())) {
            keys.push_back(key);
        }
    }
    for (const std::string& key : keys) {
        std::vector<std::string> urls;
        for (const auto& [member, value] : json_[key].items()) {
            if (value.is_string()) {
                urls.push_back(value.get<std::string>());
            }
        }
        addUrls(urls, key);
    }
    saveLoaded();
}

bool VLRestoreManager::save() {
    json_["version"] = kCurrentVersion;
    return VLManager::save();
}

std::vector<std::string> VLRestoreManager::windowKeys() const {
    std::vector<std::string> keys;
    for (const auto& [key, value] : json_.items()) {
        if (key != "version") {
            keys.push_back(key);
        }
    }
    std::stable_sort(keys.begin(), keys.end(), [](const std::string& a, const std::string& b) {
        auto pa = windowPosition(a), pb = windowPosition(b);
        if (pa && pb) {
            return *pa < *pb;
        }
        if (pa || pb) {
            return pa.has_value();
        }
        return a < b;
    });
    return keys;
}

nlohmann::json* VLRestoreManager::getWindowDictionaryForKey(const std::string& key) {
    if (key.empty()) {
        return nullptr;
    }
    nlohmann::json& entry = json_[key];
    if (!entry.is_object()) {
        if (!entry.is_null()) {
            Log::warning("restore.json: entry \"", key, "\" is not an object; replacing it");
        }
        entry = nlohmann::json::object();
    }
    return &entry;
}

std::optional<std::vector<std::string>> VLRestoreManager::getUrlsForKey(const std::string& key) {
    nlohmann::json* entry = getWindowDictionaryForKey(key);
    if (!entry) {
        return std::nullopt;
    }
    auto it = entry->find("url");
    if (it == entry->end() || !it->is_array()) {
        return std::nullopt;
    }
    std::vector<std::string> urls;
    for (const auto& url : *it) {
        if (url.is_string()) {
            urls.push_back(url.get<std::string>());
        }
    }
    return urls;
}

std::optional<std::string> VLRestoreManager::windowsFrameString(const std::string& key) {
    nlohmann::json* entry = getWindowDictionaryForKey(key);
    if (!entry) {
        return std::nullopt;
    }
    auto it = entry->find(key::windowFrame);
    if (it == entry->end() || !it->is_string()) {
        return std::nullopt;
    }
    return it->get<std::string>();
}

void VLRestoreManager::addUrls(const std::vector<std::string>& urls, const std::string& key) {
    if (urls.empty()) {
        return;
    }
    if (nlohmann::json* entry = getWindowDictionaryForKey(key)) {
        (*entry)["url"] = urls;
    }
}

void VLRestoreManager::setWindowFrameString(const std::string& frame, const std::string& key) {
    if (frame.empty()) {
        return;
    }
    if (nlohmann::json* entry = getWindowDictionaryForKey(key)) {
        (*entry)[key::windowFrame] = frame;
    }
}

void VLRestoreManager::clear() {
    json_ = nlohmann::json::object();
}
