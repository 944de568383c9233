#include "foundation/NoDestructor.h"
#include "rules/VLScriptsManager.h"
#include "stores/VLFileManager.h"

VLStylesManager& VLStylesManager::sharedManager() {
    static VLStylesManager& instance = []() -> VLStylesManager& {
        static NoDestructor<VLStylesManager> manager;
        manager->loadJson();
        return *manager;
    }();
    return instance;
}

std::string VLStylesManager::getJsonPath() {
    if (!jsonPath_) {
        std::string folder = VLFileManager::getSettingsPath();
        if (folder.empty() || folder.back() != '/') {
            folder += '/';
        }
        jsonPath_ = folder + "userstyles.json";
    }
    return *jsonPath_;
}
