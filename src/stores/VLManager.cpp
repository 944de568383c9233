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
    json_ = JsonFile::loadDocument(getPath(), JsonFile::Kind::Object, &unusableFile_)
                .value_or(nlohmann::json::object());
}

void VLManager::saveLoaded() {
    if (unusableFile_) {
        Log::line("the store file is kept as it is until something is saved");
        return;
    }
    save();
}

bool VLManager::save() {
    const std::string path = getPath();
    if (path.empty()) {
        return false;
    }
    // The content stays out of the log: it holds the user's history and bookmarks.
    if (std::string error = JsonFile::save(path, json_); !error.empty()) {
        Log::warning("not saved: ", error);
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
