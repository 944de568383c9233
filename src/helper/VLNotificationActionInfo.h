#pragma once

#include <optional>
#include <string>
#include <vector>

class RecordDecoder;
class RecordEncoder;

// One button of a notification: the page's identifier of the action and the button's label.
class VLNotificationActionInfo {
  public:
    VLNotificationActionInfo() = default;
    // Reads "title" then "identifier".
    explicit VLNotificationActionInfo(RecordDecoder& coder);
    // Writes "title" then "identifier".
    void encodeWithCoder(RecordEncoder& coder) const;

    static const char* className() { return "VLNotificationActionInfo"; }
    static const std::vector<std::string>& archiveKeys();

    const std::optional<std::string>& identifier() const { return identifier_; }
    void setIdentifier(std::optional<std::string> value) { identifier_ = std::move(value); }
    const std::optional<std::string>& title() const { return title_; }
    void setTitle(std::optional<std::string> value) { title_ = std::move(value); }

    bool operator==(const VLNotificationActionInfo& other) const = default;

  private:
    std::optional<std::string> identifier_;
    std::optional<std::string> title_;
};
