#pragma once

#include <optional>
#include <string>
#include <vector>

#include "helper/VLNotificationInfo.h"

struct NotificationButton {
    std::string identifier;
    std::string title;
    bool operator==(const NotificationButton& other) const = default;
};

// What a desktop notification shows for one request.
struct NotificationContent {
    std::string summary;
    std::string body;
    std::vector<NotificationButton> buttons;
    bool operator==(const NotificationContent& other) const = default;
};

// How a notification request becomes buttons, and what a click on one means. One action: the
// buttons "Close" and the action's title. Several: "Close" and one button per action, identified
// by its position ("0", "1", ...). A click on the body has no button.
class NotificationPresentation {
  public:
    static constexpr const char* kCloseButton = "close";
    static constexpr const char* kActionButton = "action";
    static constexpr const char* kCloseTitle = "Close";

    // Title as summary; subtitle and message, each on its own line, as body.
    static NotificationContent contentFor(const VLNotificationInfo& info);

    enum class Reaction { activated, dismissed };
    struct Outcome {
        Reaction reaction;
        std::optional<std::string> actionIdentifier;  // for `activated`
    };
    // `button` is absent for a click on the body; `entry` is the pending request, if known.
    static Outcome outcomeFor(const std::optional<std::string>& button,
                              const VLNotificationInfo* entry);
};
