#include "foundation/JsonFile.h"

#include "foundation/Files.h"
#include "foundation/Log.h"

namespace {
bool tooDeep(const std::string& bytes, int maxDepth) {
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (char c : bytes) {
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
            }
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maxDepth) {
                return true;
            }
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}
}  // namespace

nlohmann::json JsonFile::parse(const std::string& bytes, std::string* error, int maxDepth) {
    if (tooDeep(bytes, maxDepth)) {
        if (error) {
            *error = "JSON nested deeper than " + std::to_string(maxDepth) + " levels";
        }
        return nullptr;
    }
    try {
        return nlohmann::json::parse(bytes);
    } catch (const nlohmann::json::exception& e) {
        if (error) {
            *error = e.what();
        }
        return nullptr;
    }
}

JsonFile::Loaded JsonFile::load(const std::string& path) {
    Loaded loaded;
    Files::ReadResult file = Files::read(path, kMaxFileBytes);
    if (!file.ok()) {
        loaded.readError = file.error;
    }
    if (file.data.empty()) {
        loaded.empty = true;
        return loaded;
    }
    loaded.value = parse(file.data, &loaded.error);
    return loaded;
}

std::string JsonFile::serialize(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string JsonFile::save(const std::string& path, const nlohmann::json& value) {
    auto slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        if (std::string error = Files::createDirectories(path.substr(0, slash)); !error.empty()) {
            return error;
        }
    }
    return Files::writeAtomically(path, serialize(value));
}

std::optional<nlohmann::json> JsonFile::loadDocument(const std::string& path, Kind kind,
                                                     bool* unusable) {
    Loaded loaded = load(path);
    auto fail = [unusable] {
        if (unusable) {
            *unusable = true;
        }
        return std::nullopt;
    };
    if (loaded.empty) {
        // A missing file is the normal first start; one that exists but cannot be read is not.
        if (!loaded.readError.empty() && Files::exists(path)) {
            Log::warning(loaded.readError);
            return fail();
        }
        return std::nullopt;
    }
    if (!loaded.error.empty()) {
        Log::warning(path, ": ", loaded.error);
        return fail();
    }
    const bool expected = kind == Kind::Object ? loaded.value.is_object() : loaded.value.is_array();
    if (!expected) {
        Log::warning(path, ": top level is not a JSON ", kind == Kind::Object ? "object" : "array",
                     "; using the defaults");
        return fail();
    }
    return std::move(loaded.value);
}
