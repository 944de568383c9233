#pragma once

#include <optional>
#include <string>

#include "helper/NotificationPresentation.h"

// Told what the user did with a shown notification (on the main loop).
class NotificationPosterDelegate {
  public:
    virtual ~NotificationPosterDelegate() = default;
    // `button` is absent for a click on the body; `activationToken` is the notification server's
    // token for bringing a window forward ("" when it gave none).
    virtual void didActivateNotification(const std::string& sender, const std::string& identifier,
                                         const std::optional<std::string>& button,
                                         const std::string& activationToken) = 0;
    // The notification went away without a click (closed by the user, expired, replaced).
    virtual void didCloseNotification(const std::string& sender, const std::string& identifier,
                                      bool byUser) = 0;
};

// The desktop's notification facility.
class NotificationPoster {
  public:
    virtual ~NotificationPoster() = default;
    virtual void setDelegate(NotificationPosterDelegate* delegate) = 0;
    // Shows the notification, replacing one shown earlier for the same sender and identifier.
    // False when it could not be shown.
    virtual bool deliver(const std::string& sender, const std::string& identifier,
                         const NotificationContent& content) = 0;
};
