#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Url.h"
#include "helper/VLCredentials.h"
#include "helper/VLNotificationInfo.h"

// The shell's single point of contact with the helper service "com.KVX.corvahelper" on the
// session bus. It forwards requests, one reply each, and runs the caller's callback with the
// reply on the main loop. A request that cannot be delivered is dropped and its callback never
// runs, so callers never wait for one. When the helper cannot be started or reached,
// "connection cannot be established" is logged and nothing is sent again; when a helper that
// had answered goes away, "connection used to work but suddenly terminated" is logged and the
// next request starts a new one.
class VLServiceManager {
  public:
    using CredentialsReply = std::function<void(const std::vector<VLCredentials>&)>;
    using PasswordReply = std::function<void(const std::optional<std::string>&)>;
    using SuccessReply = std::function<void(bool)>;

    // The process-wide instance, connected on first use (main thread only).
    static VLServiceManager& sharedManager();
    // Brings the application forward (with the notification server's activation token, "" when
    // there is none) and passes the click on to the page that posted the notification. Runs on the
    // main loop when the user clicks a notification the shell posted. Installed by the application
    // (AppDelegate::installHooks, src/app/AppDelegateHooks.cpp).
    using ActivationHandler =
        std::function<void(const std::string& identifier, const std::string& activationToken)>;
    static void setActivationHandler(ActivationHandler handler);

    VLServiceManager();   // connects
    ~VLServiceManager();  // disconnects
    VLServiceManager(const VLServiceManager&) = delete;
    VLServiceManager& operator=(const VLServiceManager&) = delete;

    // Writes the bus's service file for this bundle's helper, opens a connection of its own to
    // the session bus and serves CorvaInterfaceProtocol on it.
    void connect();
    void disconnect();
    // False once the helper was found unreachable (or before connect).
    bool isConnected() const;

    // Logs "Notification posted" when the helper has answered.
    void postNotification(const VLNotificationInfo& info);
    void credentialsSavedFor(const std::optional<Url>& url, CredentialsReply reply);
    // An absent username or password counts as the empty one; an absent URL as one without host.
    void passwordFor(const std::optional<std::string>& username, const std::optional<Url>& url,
                     PasswordReply reply);
    void updateCredentials(const std::optional<std::string>& newPassword,
                           const std::optional<std::string>& username,
                           const std::optional<Url>& url, SuccessReply reply);
    void saveCredentials(const std::optional<std::string>& password,
                         const std::optional<std::string>& username, const std::optional<Url>& url,
                         SuccessReply reply);

    // The helper's call-back: the user activated a notification. The action is ignored; the
    // activation handler runs on the main loop with the notification and the token.
    void notificationAction(const std::optional<std::string>& actionIdentifier,
                            const std::string& identifier, const std::string& activationToken);

    struct Connection;

  private:
    std::shared_ptr<Connection> connectionToService_;
};
