#include "foundation/Paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "foundation/Log.h"

namespace {
std::string envDirectory(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    // The base directory spec says relative values are invalid and must be ignored.
    if (value && value[0] == '/') {
        return value;
    }
    return fallback;
}

// Reads XDG_DOWNLOAD_DIR="$HOME/..." from user-dirs.dirs.
std::string userDirFromFile(const std::string& file, const std::string& key) {
    std::ifstream in(file);
    std::string line;
    const std::string prefix = key + "=";
    while (std::getline(in, line)) {
        if (line.rfind(prefix, 0) != 0) {
            continue;
        }
        std::string value = line.substr(prefix.size());
        if (value.size() < 2 || value.front() != '"' || value.back() != '"') {
            continue;
        }
        value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0) {
            value = Paths::home() + value.substr(5);
        }
        if (!value.empty() && value[0] == '/') {
            return value;
        }
    }
    return {};
}
}  // namespace

std::string Paths::home() {
    if (const char* value = std::getenv("HOME"); value && value[0]) {
        return value;
    }
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) {
        return entry->pw_dir;
    }
    return "/";
}

std::string Paths::dataHome() {
    return envDirectory("XDG_DATA_HOME", home() + "/.local/share");
}

std::string Paths::configHome() {
    return envDirectory("XDG_CONFIG_HOME", home() + "/.config");
}

std::string Paths::cacheHome() {
    return envDirectory("XDG_CACHE_HOME", home() + "/.cache");
}

std::string Paths::downloadsDirectory() {
    std::string dir = userDirFromFile(configHome() + "/user-dirs.dirs", "XDG_DOWNLOAD_DIR");
    return dir.empty() ? home() + "/Downloads" : dir;
}

std::string Paths::executablePath() {
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string Paths::join(const std::string& a, const std::string& b) {
    if (a.empty()) {
        return b;
    }
    if (b.empty()) {
        return a;
    }
    bool aSlash = a.back() == '/';
    bool bSlash = b.front() == '/';
    if (aSlash && bSlash) {
        return a + b.substr(1);
    }
    if (aSlash || bSlash) {
        return a + b;
    }
    return a + "/" + b;
}

std::string Paths::folderName(const std::string& name) {
    const bool safe = !name.empty() && name.size() <= 255 && name != "." && name != ".." &&
                      name.find_first_of(std::string_view("/\0", 2)) == std::string::npos;
    if (safe) {
        return name;
    }
    Log::warningLine("an identifier is not a usable folder name; using \"(null)\"");
    return "(null)";
}
