#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "helper/NotificationPoster.h"

typedef struct _NotifyNotification NotifyNotification;

// Desktop notifications through libnotify (org.freedesktop.Notifications): buttons are actions,
// a click on the body is the "default" action, and a close with reason "dismissed" is the
// user's dismissal. Without a notification server nothing is shown and that is logged once.
class LibnotifyPoster : public NotificationPoster {
  public:
    explicit LibnotifyPoster(const std::string& applicationName);
    ~LibnotifyPoster() override;
    LibnotifyPoster(const LibnotifyPoster&) = delete;
    LibnotifyPoster& operator=(const LibnotifyPoster&) = delete;

    void setDelegate(NotificationPosterDelegate* delegate) override;
    bool deliver(const std::string& sender, const std::string& identifier,
                 const NotificationContent& content) override;

    struct Shown;

  private:
    // Forgets a notification; its object goes away on the next main-loop turn, since this may
    // run inside one of its own signals.
    std::shared_ptr<Shown> detach(Shown* shown);
    static void onAction(NotifyNotification* notification, char* action, void* data);
    static void onClosed(NotifyNotification* notification, void* data);

    NotificationPosterDelegate* delegate_ = nullptr;
    std::map<std::pair<std::string, std::string>, std::shared_ptr<Shown>> shown_;
};
