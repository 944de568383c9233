#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Url.h"
#include "helper/KeychainManager.h"
#include "helper/NotificationPoster.h"
#include "helper/PendingNotifications.h"
#include "helper/VLCredentials.h"
#include "helper/VLNotificationInfo.h"

// What the helper does for each request of the shell, apart from the bus. Failures become
// false, an absent password or an empty list; nothing is thrown or reported in detail.
// `sender` names the shell connection a request came from: a notification's activation goes
// back to the connection that posted it.
class CorvaHelper : public NotificationPosterDelegate {
  public:
    // Calls notificationAction:identifier: on the shell connection `sender`.
    using ShellCall = std::function<void(
        const std::string& sender, const std::optional<std::string>& actionIdentifier,
        const std::string& identifier, const std::string& activationToken)>;

    CorvaHelper(KeychainManager& keychain, NotificationPoster& poster, ShellCall callShell);

    // True once shown or tried (no notification server is not the shell's concern); false only
    // for a request without identifier, which could never be answered.
    bool postNotification(const VLNotificationInfo& info, const std::string& sender);
    std::vector<VLCredentials> credentialsSavedFor(const std::optional<Url>& url);
    std::optional<std::string> passwordFor(const std::string& username,
                                           const std::optional<Url>& url);
    bool updateCredentials(const std::string& password, const std::string& username,
                           const std::optional<Url>& url);
    bool saveCredentials(const std::string& password, const std::string& username,
                         const std::optional<Url>& url);

    void didActivateNotification(const std::string& sender, const std::string& identifier,
                                 const std::optional<std::string>& button,
                                 const std::string& activationToken) override;
    void didCloseNotification(const std::string& sender, const std::string& identifier,
                              bool byUser) override;

    // The shell connection `sender` has left the bus: nothing of it is kept.
    void senderVanished(const std::string& sender);

    const PendingNotifications& notifications() const { return notifications_; }

  private:
    KeychainManager& keychain_;
    NotificationPoster& poster_;
    ShellCall callShell_;
    PendingNotifications notifications_;
};
