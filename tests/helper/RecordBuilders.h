#pragma once

#include <optional>
#include <string>
#include <vector>

#include "helper/VLNotificationInfo.h"

inline VLNotificationActionInfo action(std::optional<std::string> identifier,
                                       std::optional<std::string> title) {
    VLNotificationActionInfo info;
    info.setIdentifier(std::move(identifier));
    info.setTitle(std::move(title));
    return info;
}

// A notification as a page posts one, with these buttons.
inline VLNotificationInfo notification(std::optional<std::string> identifier,
                                       std::vector<VLNotificationActionInfo> actions = {}) {
    VLNotificationInfo info;
    info.setTitle("New mail");
    info.setSubTitle("mail.example");
    info.setMessage("Hello & welcome");
    info.setIdentifier(std::move(identifier));
    info.setActions(std::move(actions));
    return info;
}
