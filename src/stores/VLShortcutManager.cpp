#include "stores/VLShortcutManager.h"

#include "foundation/JsonFile.h"
#include "foundation/JsonValue.h"
#include "foundation/Log.h"
#include "foundation/NoDestructor.h"
#include "stores/VLFileManager.h"

VLShortcutManager& VLShortcutManager::sharedManager() {
    static NoDestructor<VLShortcutManager> manager;
    return *manager;
}

VLShortcutManager::VLShortcutManager() {
    loadJson();
}

std::string VLShortcutManager::getPath() {
    if (!path_) {
        path_ = VLFileManager::getSettingsPath() + "/shortcuts.json";
    }
    return *path_;
}

void VLShortcutManager::loadJson() {
    json_ = JsonFile::loadDocument(getPath(), JsonFile::Kind::Object)
                .value_or(nlohmann::json::object());
}

bool VLShortcutManager::saveJson() {
    if (std::string error = JsonFile::save(getPath(), json_); !error.empty()) {
        Log::warning("not saved: ", error);
        return false;
    }
    return true;
}

void VLShortcutManager::setShortCut(const std::string& shortcut,
                                    const std::optional<std::string>& url) {
    if (shortcut.empty()) {
        return;
    }
    if (url) {
        json_[shortcut] = *url;
    } else {
        json_.erase(shortcut);
    }
}

std::optional<std::string> VLShortcutManager::findUrlForShortcut(const std::string& text) const {
    if (text.empty()) {
        return std::nullopt;
    }
    return json_value::string(json_, text);
}

void VLShortcutManager::clearShortcuts() {
    json_ = nlohmann::json::object();
}

std::vector<std::string> VLShortcutManager::shortcuts() const {
    std::vector<std::string> keys;
    for (auto it = json_.begin(); it != json_.end(); ++it) {
        if (it->is_string()) {
            keys.push_back(it.key());
        }
    }
    return keys;
}

std::vector<std::string> VLShortcutManager::urls() const {
    std::vector<std::string> values;
    for (const auto& value : json_) {
        if (value.is_string()) {
            values.push_back(value.get<std::string>());
        }
    }
    return values;
}
