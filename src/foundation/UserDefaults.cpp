#include "foundation/UserDefaults.h"

#include <cctype>
#include <memory>

#include "foundation/Bundle.h"
#include "foundation/Files.h"
#include "foundation/JsonFile.h"
#include "foundation/Log.h"
#include "foundation/Paths.h"

UserDefaults& UserDefaults::standard() {
    static UserDefaults defaults(Paths::join(
        Paths::join(Paths::configHome(), Paths::folderName(Bundle::main().bundleIdentifier())),
        "defaults.json"));
    return defaults;
}

UserDefaults::UserDefaults(std::string path) : path_(std::move(path)) {
    // The stores' loader: size cap, regular files only, nesting limit.
    if (auto values = JsonFile::loadDocument(path_, JsonFile::Kind::Object)) {
        values_ = std::move(*values);
    }
}

std::optional<nlohmann::json> UserDefaults::objectForKey(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end() || it->is_null()) {
        return std::nullopt;
    }
    return *it;
}

std::optional<std::string> UserDefaults::stringForKey(const std::string& key) const {
    auto value = objectForKey(key);
    if (!value || !value->is_string()) {
        return std::nullopt;
    }
    return value->get<std::string>();
}

bool UserDefaults::boolValue(const nlohmann::json& value) {
    if (value.is_boolean()) {
        return value.get<bool>();
    }
    if (value.is_number()) {
        return value.get<double>() != 0.0;
    }
    if (value.is_string()) {
        const std::string& text = value.get_ref<const std::string&>();
        size_t i = 0;
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
            ++i;
        }
        while (i < text.size() && (text[i] == '+' || text[i] == '-' || text[i] == '0')) {
            ++i;
        }
        if (i >= text.size()) {
            return false;
        }
        char c = text[i];
        return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
    }
    return false;
}

bool UserDefaults::boolForKey(const std::string& key) const {
    auto value = objectForKey(key);
    return value && boolValue(*value);
}

bool UserDefaults::boolForKey(const std::string& key, bool defaultValue) const {
    auto value = objectForKey(key);
    return value ? boolValue(*value) : defaultValue;
}

long UserDefaults::integerForKey(const std::string& key) const {
    auto value = objectForKey(key);
    if (!value) {
        return 0;
    }
    if (value->is_number()) {
        return static_cast<long>(value->get<double>());
    }
    if (value->is_boolean()) {
        return value->get<bool>() ? 1 : 0;
    }
    if (value->is_string()) {
        return std::strtol(value->get_ref<const std::string&>().c_str(), nullptr, 10);
    }
    return 0;
}

void UserDefaults::setObject(const std::string& key, nlohmann::json value) {
    if (value.is_null()) {
        removeObject(key);
        return;
    }
    // Launches set the same flags every time: an unchanged value costs no synced write.
    auto it = values_.find(key);
    if (!unsaved_ && it != values_.end() && *it == value) {
        return;
    }
    values_[key] = std::move(value);
    synchronize();
}

void UserDefaults::removeObject(const std::string& key) {
    if (values_.erase(key) > 0) {
        synchronize();
    }
}

bool UserDefaults::synchronize() {
    auto slash = path_.find_last_of('/');
    if (slash != std::string::npos) {
        if (std::string error = Files::createDirectories(path_.substr(0, slash)); !error.empty()) {
            Log::warning("user defaults not saved: ", error);
            unsaved_ = true;
            return false;
        }
    }
    if (std::string error = Files::writeAtomically(path_, JsonFile::serialize(values_));
        !error.empty()) {
        Log::warning("user defaults not saved: ", error);
        unsaved_ = true;
        return false;
    }
    unsaved_ = false;
    return true;
}
