#pragma once

#include <webkit2/webkit2.h>

#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "foundation/RateLimiter.h"

class VLWebView;

// Turns a page's notification request into a notification record for the helper (title, the
// page's host, body, buttons, a fresh identifier), and takes a click on it back to the page's
// onclick while that page is open. A page that posts too fast is throttled.
class VLNotificationHandler {
  public:
    static VLNotificationHandler& sharedHandler();

    // The "notifications" channel's messages: [title, options, the page's number for it].
    void handleNotificationWithParameters(const nlohmann::json& body, WebKitWebView* webView);
    // The user clicked the notification posted under `identifier`.
    void notificationClicked(const std::string& identifier);

    // A few at once, then about one a second, per page.
    static constexpr double kBurst = 4;
    static constexpr double kPerSecond = 1;
    // Notifications remembered for their click; older ones are forgotten first.
    static constexpr size_t kRemembered = 256;

  private:
    struct Posted {
        VLWebView* view = nullptr;
        std::weak_ptr<void> alive;
        long pageNumber = 0;
        unsigned long order = 0;
    };
    std::map<std::string, Posted> posted_;
    unsigned long order_ = 0;
    RateLimiter<const VLWebView*> limiter_{kPerSecond, kBurst};
    std::map<const VLWebView*, bool> throttledLogged_;
};
