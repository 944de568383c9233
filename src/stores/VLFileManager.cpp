#include "stores/VLFileManager.h"

#include <glib.h>

#include "foundation/Bundle.h"
#include "foundation/Files.h"
#include "foundation/Log.h"
#include "foundation/Paths.h"

std::string VLFileManager::getSettingsPath() {
    return getSettingsPathForSandbox();
}

std::string VLFileManager::getSettingsPathForSandbox() {
    auto id = getCorvaUniqueID();
    return getSettingsPathForSandbox(id ? Paths::folderName(*id) : kMissingIdentifierFolder);
}

std::string VLFileManager::getSettingsPathForSandbox(const std::string& folderName) {
    std::string path = Paths::dataHome() + "/Corva/" + folderName + "/";
    // Settings, history and the engine's data live here: the user's alone.
    if (std::string error = Files::createDirectories(path, 0700); !error.empty()) {
        Log::warning("error:", error);
    }
    return path;
}

std::optional<std::string> VLFileManager::getCorvaUniqueID() {
    auto value = Files::extendedAttribute(Bundle::main().bundlePath(), "user.CorvaUniqueID");
    if (!value || !g_utf8_validate(value->data(), static_cast<gssize>(value->size()), nullptr)) {
        return std::nullopt;
    }
    return value;
}
