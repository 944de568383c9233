#pragma once

#include <optional>
#include <string>
#include <vector>

#include "foundation/Url.h"

class RecordDecoder;
class RecordEncoder;

// One saved login as it crosses between the shell and the helper. Every field may be absent.
class VLCredentials {
  public:
    VLCredentials() = default;
    // Reads "username", "password", "url" in that order.
    explicit VLCredentials(RecordDecoder& coder);
    // Writes "username", "password", "url" in that order.
    void encodeWithCoder(RecordEncoder& coder) const;

    static const char* className() { return "VLCredentials"; }
    static const std::vector<std::string>& archiveKeys();

    const std::optional<std::string>& username() const { return username_; }
    void setUsername(std::optional<std::string> value) { username_ = std::move(value); }
    const std::optional<std::string>& password() const { return password_; }
    void setPassword(std::optional<std::string> value) { password_ = std::move(value); }
    const std::optional<Url>& url() const { return url_; }
    void setUrl(std::optional<Url> value) { url_ = std::move(value); }

    bool operator==(const VLCredentials& other) const = default;

  private:
    std::optional<std::string> username_;
    std::optional<std::string> password_;
    std::optional<Url> url_;
};
