#pragma once

#include <optional>
#include <string>
#include <vector>

#include "helper/VLNotificationActionInfo.h"

class RecordDecoder;
class RecordEncoder;

// A request to show one desktop notification. Every field may be absent; an empty actions array
// stays an empty array.
class VLNotificationInfo {
  public:
    VLNotificationInfo() = default;
    // Reads "title", "subTitle", "message", "identifier", "actions" in that order. Actions must
    // all be VLNotificationActionInfo records, or the whole record is refused.
    explicit VLNotificationInfo(RecordDecoder& coder);
    void encodeWithCoder(RecordEncoder& coder) const;

    static const char* className() { return "VLNotificationInfo"; }
    static const std::vector<std::string>& archiveKeys();

    const std::optional<std::string>& title() const { return title_; }
    void setTitle(std::optional<std::string> value) { title_ = std::move(value); }
    const std::optional<std::string>& subTitle() const { return subTitle_; }
    void setSubTitle(std::optional<std::string> value) { subTitle_ = std::move(value); }
    const std::optional<std::string>& message() const { return message_; }
    void setMessage(std::optional<std::string> value) { message_ = std::move(value); }
    const std::optional<std::string>& identifier() const { return identifier_; }
    void setIdentifier(std::optional<std::string> value) { identifier_ = std::move(value); }
    const std::optional<std::vector<VLNotificationActionInfo>>& actions() const { return actions_; }
    void setActions(std::optional<std::vector<VLNotificationActionInfo>> value) {
        actions_ = std::move(value);
    }

    bool operator==(const VLNotificationInfo& other) const = default;

  private:
    std::optional<std::string> title_;
    std::optional<std::string> subTitle_;
    std::optional<std::string> message_;
    std::optional<std::string> identifier_;
    std::optional<std::vector<VLNotificationActionInfo>> actions_;
};
