#include "stores/VLBookmarksManager.h"

#include "foundation/JsonValue.h"

void VLBookmarksManager::addBookMark(const std::string& name, const std::string& url) {
    json_[name] = url;
    save();
}

void VLBookmarksManager::removeBookmark(const std::string& name) {
    if (json_.erase(name) > 0) {
        save();
    }
}

std::vector<std::string> VLBookmarksManager::bookmarks() const {
    // The dictionary keeps its keys sorted by byte, which is plain character order.
    std::vector<std::string> names;
    for (const auto& [name, url] : json_.items()) {
        if (url.is_string()) {
            names.push_back(name);
        }
    }
    return names;
}

std::optional<std::string> VLBookmarksManager::getUrlByName(const std::string& name) const {
    return json_value::string(json_, name);
}
