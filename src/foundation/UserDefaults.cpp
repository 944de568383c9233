#include "foundation/UserDefaults.h"

#include <cctype>
#include <memory>

#include "foundation/Bundle.h"
#include "foundation/Files.h"
#include "foundation/Log.h"
#include "foundation/Paths.h"

UserDefaults& UserDefaults::standard() {
    static UserDefaults defaults(Paths::join(
        Paths::join(Paths::configHome(), Bundle::main().bundleIdentifier()), "defaults.json"));
    return defaults;
}

UserDefaults::UserDefaults(std::string path) : path_(std::move(path)) {
    Files::ReadResult file = Files::read(path_);
    if (!file.ok() || file.data.empty()) {
        return;
    }
    nlohmann::json parsed = nlohmann::json::parse(file.data, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object()) {
        Log::print("user defaults ", path_, " are not a JSON object; starting empty");
        return;
    }
    values_ = std::move(parsed);
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
            Log::print("user defaults not saved: ", error);
            return false;
        }
    }
    if (std::string error = Files::writeAtomically(path_, values_.dump()); !error.empty()) {
        Log::print("user defaults not saved: ", error);
        return false;
    }
    return true;
}
