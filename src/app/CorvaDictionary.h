#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

// Typed reads of a bundle configuration dictionary. The file is written by a tool or by hand,
// so a value of the wrong type is logged and read as absent: false, 0 or nothing.
class CorvaDictionary {
  public:
    CorvaDictionary() = default;
    // Anything but an object reads as an empty dictionary.
    explicit CorvaDictionary(std::optional<nlohmann::json> values);

    // Absent when there was no dictionary at all.
    const std::optional<nlohmann::json>& values() const { return values_; }

    // A boolean, or a number read as true when not zero.
    bool boolean(const std::string& key) const;
    // A number (a boolean counts as 0 or 1); absent for other types and non-finite values.
    std::optional<double> number(const std::string& key) const;
    // The number truncated toward zero; 0 when absent.
    long long integer(const std::string& key) const;
    std::optional<std::string> string(const std::string& key) const;
    // Present only when not empty.
    std::optional<std::string> nonEmptyString(const std::string& key) const;
    // The strings of an array in order; other elements are skipped.
    std::vector<std::string> strings(const std::string& key) const;

  private:
    const nlohmann::json* member(const std::string& key) const;

    std::optional<nlohmann::json> values_;
};
