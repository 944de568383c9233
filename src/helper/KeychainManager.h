#pragma once

#include <optional>
#include <string>
#include <vector>

#include "foundation/Url.h"
#include "helper/Credentials.h"
#include "helper/KeychainError.h"
#include "helper/KeychainItemStore.h"

// The helper's password store: one internet-password item per saved web-form login, found by
// protocol text, host, account and (when the URL names one) port. Holds no state besides the
// process-wide lock around saving; every operation goes to the item store. A failing operation
// answers false or nothing and, when `error` is given, says why there.
class KeychainManager {
  public:
    explicit KeychainManager(KeychainItemStore& store);

    // Adds the login or, when one exists for the account, updates its password. A URL without
    // host or scheme succeeds without storing anything.
    bool saveCredentials(const std::string& password, const std::string& userName,
                         const std::optional<Url>& url, KeychainError* error = nullptr);
    bool updateCredentials(const std::string& password, const std::string& userName,
                           const std::optional<Url>& url, KeychainError* error = nullptr);
    bool deleteCredentialsFor(const std::string& userName, const std::optional<Url>& url,
                              KeychainError* error = nullptr);
    // Any answer of the store but "not found" counts as existing.
    bool credentialsExistsFor(const std::string& userName, const std::optional<Url>& url);
    // The empty string for a URL without host or scheme.
    std::optional<std::string> passwordFor(const std::string& userName,
                                           const std::optional<Url>& url,
                                           KeychainError* error = nullptr);
    // The logins of the URL's site, each carrying `url` itself; noPassword when there is none.
    std::optional<std::vector<Credentials>> credentialsWithSavedFor(const std::optional<Url>& url,
                                                                    KeychainError* error = nullptr);
    // Every saved login, its URL rebuilt from protocol text, server and port.
    std::optional<std::vector<Credentials>> allSavedCredentialsAndReturnError(
        KeychainError* error = nullptr);

    // "https" for any scheme containing "http", else the scheme itself.
    static std::string protocolText(const std::string& scheme);

  private:
    struct SiteKey {
        std::string protocol;
        std::string server;
        std::optional<int> port;
    };
    static std::optional<SiteKey> siteKey(const std::optional<Url>& url);
    static KeychainAttributes baseQuery(const SiteKey& site, const std::string* account);
    // A search's result code as the store's error: no match is noPassword, others unhandled.
    bool found(OSStatus status, KeychainError* error);
    // Every item matching the query; nothing (and the error) when none matches or the store fails.
    std::optional<std::vector<KeychainItem>> searchAll(const KeychainAttributes& query,
                                                       KeychainError* error);
    bool fail(KeychainError failure, KeychainError* error);

    KeychainItemStore& store_;
};
