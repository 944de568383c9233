#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "helper/VLNotificationActionInfo.h"

// A page's notification as its "notifications" message gives it: [title, options, page's own
// number of the notification]. Texts are cut to a sane length and buttons to a few, since any
// page can post anything on this channel.
struct NotificationRequest {
    std::string title;
    std::string message;
    std::vector<VLNotificationActionInfo> actions;
    // The page's number for the notification, to find its onclick again; none from old pages.
    std::optional<long> pageNumber;

    static constexpr size_t kMaxText = 1024;
    static constexpr size_t kMaxActions = 4;

    static std::optional<NotificationRequest> parse(const nlohmann::json& body);
};
