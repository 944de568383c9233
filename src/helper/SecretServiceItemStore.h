#pragma once

#include <chrono>
#include <mutex>
#include <optional>
#include <string>

#include "helper/KeychainItemStore.h"

// The keychain's item operations over the Secret Service (gnome-keyring, KeePassXC, KWallet)
// through libsecret, with one schema for "Web Form Password" items. A locked keyring, or one
// without a default collection, is handed to the service's own prompt; when the user refuses, the
// operation answers errSecInteractionNotAllowed (errSecNoDefaultKeychain) and nothing prompts
// again for a while. A missing service answers errSecNotAvailable. Such an outage is logged once
// when it begins (again after an operation has succeeded in between); every other failure is
// logged each time.
class SecretServiceItemStore : public KeychainItemStore {
  public:
    static constexpr const char* kSchemaName = "com.KVX.corvahelper.WebFormPassword";

    OSStatus add(const KeychainItem& item) override;
    OSStatus update(const KeychainAttributes& query, const std::string& data) override;
    OSStatus remove(const KeychainAttributes& query) override;
    OSStatus searchOne(const KeychainAttributes& query, KeychainItem* match) override;
    OSStatus searchAll(const KeychainAttributes& query,
                       std::vector<KeychainItem>* matches) override;

    // What an operation ended with, and why when it failed.
    struct Outcome {
        OSStatus status = errSecSuccess;
        std::string problem;
        bool prompted = false;  // the user was asked (and, on failure, said no)
    };

    // After a refusal the user is not asked again for this long.
    static constexpr std::chrono::minutes kPromptPause{10};

  private:
    OSStatus report(const char* operation, const Outcome& outcome);
    bool mayPrompt();

    std::mutex mutex_;
    std::optional<OSStatus> outage_;
    std::optional<std::chrono::steady_clock::time_point> refused_;
};
