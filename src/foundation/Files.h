#pragma once

#include <optional>
#include <string>
#include <string_view>

// File helpers. Failures come back as text for the caller's log line; nothing throws.
class Files {
  public:
    struct ReadResult {
        std::string data;
        std::string error;  // empty on success; a missing file is an error too
        bool ok() const { return error.empty(); }
    };
    static ReadResult read(const std::string& path);

    // Writes through a temporary file in the same folder (flushed and fsynced) that is renamed
    // over `path`; on any failure the old file stays byte for byte and no temporary is left.
    // Returns an empty string on success, otherwise what went wrong.
    static std::string writeAtomically(const std::string& path, std::string_view data);

    // mkdir -p; returns an empty string on success, otherwise the error.
    static std::string createDirectories(const std::string& path);

    static bool exists(const std::string& path);
    static bool isDirectory(const std::string& path);

    // Extended attribute of a file or folder; absent when the attribute is missing or unreadable.
    static std::optional<std::string> extendedAttribute(const std::string& path, const char* name);
};
