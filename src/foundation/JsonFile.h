#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

// Whole-file JSON documents for the stores.
class JsonFile {
  public:
    struct Loaded {
        nlohmann::json value;   // null when missing, empty or unparseable
        bool empty = false;     // the file is missing or holds no bytes
        std::string error;      // why the bytes are not a JSON document; empty otherwise
        std::string readError;  // why the file could not be read (a missing file included)
    };
    // Store files larger than this are not read (a hostile or broken file must not take the
    // app's memory).
    static constexpr size_t kMaxFileBytes = 64 * 1024 * 1024;
    static Loaded load(const std::string& path);

    // A store's document of the expected kind (object or array). A missing or empty file gives
    // nothing, silently; a file that cannot be read, is not JSON or is of the other kind gives
    // nothing with a log line naming the file, and sets `unusable` (when given): the caller then
    // leaves the file as it is until a real save.
    enum class Kind { Object, Array };
    static std::optional<nlohmann::json> loadDocument(const std::string& path, Kind kind,
                                                      bool* unusable = nullptr);

    // Parses a document; rejects nesting deeper than `maxDepth` (which would exhaust the stack
    // when written back).
    static nlohmann::json parse(const std::string& bytes, std::string* error, int maxDepth = 128);

    // Compact text; invalid UTF-8 in strings is replaced rather than thrown on.
    static std::string serialize(const nlohmann::json& value);

    // Creates the folder when missing, then writes atomically. Empty on success, else the error.
    static std::string save(const std::string& path, const nlohmann::json& value);
};
