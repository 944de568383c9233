#pragma once

#include <gio/gio.h>

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/GObjectPtr.h"

class PrivateBus;

// A notification server (org.freedesktop.Notifications) of the test's own on a private bus: it
// records Notify and CloseNotification calls and emits ActionInvoked and NotificationClosed on
// request, to the connection that posted the notification.
class FakeNotificationServer {
  public:
    struct Notification {
        std::uint32_t id = 0;
        std::string sender;
        std::string appName;
        std::string summary;
        std::string body;
        std::vector<std::string> actions;  // key, label, key, label, ...
    };

    explicit FakeNotificationServer(const PrivateBus& bus, bool bodyMarkup = false);
    ~FakeNotificationServer();
    FakeNotificationServer(const FakeNotificationServer&) = delete;
    FakeNotificationServer& operator=(const FakeNotificationServer&) = delete;

    const std::vector<Notification>& notifications() const { return notifications_; }
    const std::vector<std::uint32_t>& closeRequests() const { return closeRequests_; }
    // Waits on the main loop until `count` notifications were posted.
    bool waitForNotifications(std::size_t count);

    // As if the user clicked the button `action` ("default" for the body).
    void invokeAction(std::uint32_t id, const std::string& action);
    // 1 expired, 2 dismissed by the user, 3 closed by a call.
    void close(std::uint32_t id, std::uint32_t reason);

  private:
    static void methodCall(GDBusConnection*, const gchar* sender, const gchar*, const gchar*,
                           const gchar* method, GVariant* parameters,
                           GDBusMethodInvocation* invocation, gpointer data);
    const Notification* find(std::uint32_t id) const;
    void emit(const Notification& notification, const char* signal, GVariant* parameters);

    GObjectPtr<GDBusConnection> connection_;
    guint registration_ = 0;
    bool bodyMarkup_ = false;
    std::vector<Notification> notifications_;
    std::vector<std::uint32_t> closeRequests_;
};
