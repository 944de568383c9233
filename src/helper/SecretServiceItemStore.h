#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "helper/KeychainItemStore.h"

// The keychain's item operations over the Secret Service (gnome-keyring, KeePassXC, KWallet)
// through libsecret, with one schema for "Web Form Password" items. It never prompts: a locked
// keyring answers errSecInteractionNotAllowed and a missing service errSecNotAvailable. Such an
// outage is logged once when it begins (again after an operation has succeeded in between);
// every other failure is logged each time.
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
    };

  private:
    OSStatus report(const char* operation, const Outcome& outcome);

    std::mutex mutex_;
    std::optional<OSStatus> outage_;
};
