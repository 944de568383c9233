#pragma once

#include <string>

#include "foundation/Url.h"

// A login as the keychain store returns it; every field present.
class Credentials {
  public:
    Credentials(std::string username, std::string password, Url url)
        : username_(std::move(username)), password_(std::move(password)), url_(std::move(url)) {}

    const std::string& username() const { return username_; }
    void setUsername(std::string value) { username_ = std::move(value); }
    const std::string& password() const { return password_; }
    void setPassword(std::string value) { password_ = std::move(value); }
    const Url& url() const { return url_; }
    void setUrl(Url value) { url_ = std::move(value); }

    bool operator==(const Credentials& other) const = default;

  private:
    std::string username_;
    std::string password_;
    Url url_;
};
