#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

// One named URL pattern with an on/off state (a check-box state: 0 off, non-zero on).
class VLPattern {
  public:
    VLPattern() = default;
    VLPattern(std::string name, long state) : state_(state), name_(std::move(name)) {}
    virtual ~VLPattern() = default;

    // The pattern object {"name", "state"}; nothing when it is not an object or has no string
    // "name". A missing or unreadable "state" counts as 0.
    static std::optional<VLPattern> initWithDictionary(const nlohmann::json& dictionary);
    nlohmann::json toDictionary() const;

    long state() const { return state_; }
    void setState(long state) { state_ = state; }
    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }

  protected:
    // The "state" member as a state: absent or not a number (logged) counts as 0.
    static long readState(const nlohmann::json& dictionary, const std::string& name);

    long state_ = 0;
    std::string name_;
};
