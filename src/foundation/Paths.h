#pragma once

#include <string>

// XDG base and user directories, read from the environment on every call (tests change HOME
// between cases, so nothing here is cached).
class Paths {
  public:
    static std::string home();
    static std::string dataHome();    // $XDG_DATA_HOME or ~/.local/share: "Application Support"
    static std::string configHome();  // $XDG_CONFIG_HOME or ~/.config
    static std::string cacheHome();   // $XDG_CACHE_HOME or ~/.cache
    static std::string
    downloadsDirectory();  // XDG_DOWNLOAD_DIR from user-dirs.dirs, or ~/Downloads
    static std::string executablePath();

    // `name` when it is one safe folder name (not empty, no "/" or NUL, not "." or "..", at most
    // 255 bytes); otherwise "(null)", with a warning. For identifiers that name folders.
    static std::string folderName(const std::string& name);

    // Joins with exactly one separator between the parts.
    static std::string join(const std::string& a, const std::string& b);
};
