#pragma once

#include <sys/types.h>

#include <cstdint>
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
    // Regular files only (a FIFO or device given by a hostile path would block or never end),
    // of at most `maxBytes`.
    static ReadResult read(const std::string& path, size_t maxBytes = SIZE_MAX);

    // Writes through a temporary file in the same folder (flushed and fsynced) that is renamed
    // over `path`; on any failure the old file stays byte for byte and no temporary is left.
    // Returns an empty string on success, otherwise what went wrong. Browsing data and settings
    // stay the user's own (0600); bundle files that others may read pass kSharedFile.
    static constexpr mode_t kPrivateFile = 0600;
    static constexpr mode_t kSharedFile = 0644;
    static std::string writeAtomically(const std::string& path, std::string_view data,
                                       mode_t mode = kPrivateFile);

    // mkdir -p; returns an empty string on success, otherwise the error. With a mode, the last
    // folder gets it, also when it existed already (kept private after an older run).
    static std::string createDirectories(const std::string& path,
                                         std::optional<mode_t> mode = std::nullopt);

    static bool exists(const std::string& path);
    static bool isDirectory(const std::string& path);

    // Extended attribute of a file or folder; absent when the attribute is missing or unreadable.
    static std::optional<std::string> extendedAttribute(const std::string& path, const char* name);
};
