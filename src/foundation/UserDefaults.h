#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

// Small preferences outside the JSON stores, kept in
// $XDG_CONFIG_HOME/<bundle identifier>/defaults.json. Every change is written at once
// (atomically), so nothing set is lost when the process dies. Main thread only.
class UserDefaults {
  public:
    static UserDefaults& standard();
    explicit UserDefaults(std::string path);

    const std::string& path() const { return path_; }

    std::optional<nlohmann::json> objectForKey(const std::string& key) const;
    std::optional<std::string> stringForKey(const std::string& key) const;
    // The boolean reading of any stored value: numbers are true when not zero, text when it
    // starts (after blanks) with Y, y, T, t or a digit 1-9; other values and absence are false.
    bool boolForKey(const std::string& key) const;
    // The stored value's boolean reading when any value is stored under the key, else `value`.
    bool boolForKey(const std::string& key, bool defaultValue) const;
    long integerForKey(const std::string& key) const;

    // Writes the file unless the key already holds this value and the last write succeeded.
    void setObject(const std::string& key, nlohmann::json value);
    void setBool(const std::string& key, bool value) { setObject(key, value); }
    void setString(const std::string& key, const std::string& value) { setObject(key, value); }
    void removeObject(const std::string& key);
    // Writes the file; false (with a log line) when it cannot be written.
    bool synchronize();

    static bool boolValue(const nlohmann::json& value);

  private:
    std::string path_;
    nlohmann::json values_ = nlohmann::json::object();
    bool unsaved_ = false;
};
