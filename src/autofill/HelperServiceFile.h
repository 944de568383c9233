#pragma once

#include <optional>
#include <string>

// The D-Bus service file that lets the session bus start the helper on demand:
// $XDG_DATA_HOME/dbus-1/services/com.KVX.corvahelper.service, whose Exec= names the helper of the
// running bundle. Every generated app writes it for its own bundle; the helper is the same
// program in each.
class HelperServiceFile {
  public:
    enum class Result { unchanged, written, failed };

    static std::string path();
    // The file's text for a helper at `helperPath` (absolute); absent for a path that cannot be
    // written into an Exec= line (relative, not UTF-8, holding a line break or a backslash).
    static std::optional<std::string> contents(const std::string& helperPath);
    // Writes the file when it is missing or says something else; failures are logged.
    static Result install(const std::string& helperPath);
};
