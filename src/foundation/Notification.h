#pragma once

#include <any>
#include <map>
#include <optional>
#include <string>

// A named message with an optional object and user info, as posted on a NotificationCenter.
struct Notification {
    std::string name;
    std::any object;
    std::map<std::string, std::any> userInfo;

    // Typed reads that give nothing when the value is absent or of another type.
    template <class T>
    std::optional<T> objectAs() const {
        if (const T* value = std::any_cast<T>(&object)) {
            return *value;
        }
        return std::nullopt;
    }
    template <class T>
    std::optional<T> info(const std::string& key) const {
        auto it = userInfo.find(key);
        if (it == userInfo.end()) {
            return std::nullopt;
        }
        if (const T* value = std::any_cast<T>(&it->second)) {
            return *value;
        }
        return std::nullopt;
    }
};
