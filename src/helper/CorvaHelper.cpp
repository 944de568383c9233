#include "helper/CorvaHelper.h"

#include "foundation/Log.h"

CorvaHelper::CorvaHelper(KeychainManager& keychain, NotificationPoster& poster, ShellCall callShell)
    : keychain_(keychain), poster_(poster), callShell_(std::move(callShell)) {
    poster_.setDelegate(this);
}

bool CorvaHelper::postNotification(const VLNotificationInfo& info, const std::string& sender) {
    if (!info.identifier()) {
        Log::warningLine("postNotification: a notification without identifier is not shown");
        return false;
    }
    NotificationContent content = NotificationPresentation::contentFor(info);
    if (poster_.deliver(sender, *info.identifier(), content)) {
        notifications_.insert(sender, info);
    }
    return true;
}

std::vector<VLCredentials> CorvaHelper::credentialsSavedFor(const std::optional<Url>& url) {
    std::vector<VLCredentials> result;
    std::optional<std::vector<Credentials>> saved = keychain_.credentialsWithSavedFor(url);
    if (!saved) {
        return result;
    }
    for (const Credentials& login : *saved) {
        VLCredentials credentials;
        credentials.setUsername(login.username());
        credentials.setPassword(login.password());
        credentials.setUrl(login.url());
        result.push_back(std::move(credentials));
    }
    return result;
}

std::optional<std::string> CorvaHelper::passwordFor(const std::string& username,
                                                    const std::optional<Url>& url) {
    return keychain_.passwordFor(username, url);
}

bool CorvaHelper::updateCredentials(const std::string& password, const std::string& username,
                                    const std::optional<Url>& url) {
    // A failing operation always fills the error slot, so its result says whether it is empty.
    KeychainError error = KeychainError::unexpectedPasswordData();
    return keychain_.updateCredentials(password, username, url, &error);
}

bool CorvaHelper::saveCredentials(const std::string& password, const std::string& username,
                                  const std::optional<Url>& url) {
    KeychainError error = KeychainError::unexpectedPasswordData();
    return keychain_.saveCredentials(password, username, url, &error);
}

void CorvaHelper::didActivateNotification(const std::string& sender, const std::string& identifier,
                                          const std::optional<std::string>& button,
                                          const std::string& activationToken) {
    std::optional<VLNotificationInfo> entry = notifications_.take(sender, identifier);
    NotificationPresentation::Outcome outcome =
        NotificationPresentation::outcomeFor(button, entry ? &*entry : nullptr);
    if (outcome.reaction == NotificationPresentation::Reaction::dismissed) {
        return;
    }
    if (callShell_) {
        callShell_(sender, outcome.actionIdentifier, identifier, activationToken);
    }
}

void CorvaHelper::didCloseNotification(const std::string& sender, const std::string& identifier,
                                       bool) {
    // Whatever closed it, no activation can follow: keeping the entry would only leak it.
    notifications_.take(sender, identifier);
}

void CorvaHelper::senderVanished(const std::string& sender) {
    if (std::size_t dropped = notifications_.dropSender(sender)) {
        Log::print("CorvaHelper: a shell left the bus; ", dropped, " notifications forgotten");
    }
}
