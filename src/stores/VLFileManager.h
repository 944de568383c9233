#pragma once

#include <optional>
#include <string>

// Where each generated app keeps its state: $XDG_DATA_HOME/Corva/<app identifier>/.
class VLFileManager {
  public:
    // The settings folder of the running app, re-created when it was removed meanwhile.
    static std::string getSettingsPath();
    static std::string getSettingsPathForSandbox();
    // "<data home>/Corva/<name>/"; the folder is created (a failure is logged) and the path is
    // returned either way. Always ends in "/".
    static std::string getSettingsPathForSandbox(const std::string& folderName);

    // The app identifier stored on the bundle folder ("user.CorvaUniqueID"); absent when the
    // attribute is missing or not UTF-8. Read on every call.
    static std::optional<std::string> getCorvaUniqueID();

    // The folder name used for a bundle without a readable identifier: every such bundle shares
    // it, as the platform's formatting of a missing value gives.
    static constexpr const char* kMissingIdentifierFolder = "(null)";
};
