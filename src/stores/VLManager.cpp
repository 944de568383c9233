#include "stores/VLManager.h"

#include "foundation/JsonFile.h"
#include "foundation/Log.h"
#include "stores/VLFileManager.h"

void VLManager::init() {
    loadJson();
    loadValues();
    updateToNewFormat();
}

void VLManager::loadJson() {
    JsonFile::Loaded loaded = JsonFile::load(getPath());
    if (loaded.empty) {
        json_ = nlohmann::json::object();
        return;
    }
    if (!loaded.error.empty()) {
        Log::line(loaded.error);
        json_ = nlohmann::json::object();
        return;
    }
    if (!loaded.value.is_object()) {
        Log::print(getPath(), ": top level is not a JSON object; starting empty");
        json_ = nlohmann::json::object();
        return;
    }
    json_ = std::move(loaded.value);
}

bool VLManager::save() {
    const std::string path = getPath();
    if (path.empty()) {
        return false;
    }
    // The content stays out of the log: it holds the user's history and bookmarks.
    if (std::string error = JsonFile::save(path, json_); !error.empty()) {
        Log::print("not saved: ", error);
        return false;
    }
    return true;
}

void VLManager::setJson(nlohmann::json value) {
    json_ = value.is_object() ? std::move(value) : nlohmann::json::object();
}

bool VLManager::hasCurrentVersion() const {
    auto it = json_.find("version");
    return it != json_.end() && it->is_number() && it->get<double>() == kCurrentVersion;
}

const std::string& VLManager::pathInSettingsFolder(const char* fileName) {
    if (!path_) {
        path_ = VLFileManager::getSettingsPath() + "/" + fileName;
    }
    return *path_;
}
