#include "helper/KeychainManager.h"

#include <glib.h>

#include <charconv>
#include <mutex>

#include "foundation/NoDestructor.h"

namespace {
// Makes the existence test and the add or update that follows one step for concurrent saves.
std::mutex& saveLock() {
    static NoDestructor<std::mutex> lock;
    return *lock;
}

bool isUtf8(const std::string& bytes) {
    return g_utf8_validate(bytes.data(), static_cast<gssize>(bytes.size()), nullptr);
}

const std::string* attribute(const KeychainItem& item, const char* name) {
    auto it = item.attributes.find(name);
    return it == item.attributes.end() ? nullptr : &it->second;
}

std::optional<int> positiveInteger(const std::string* text) {
    if (!text) {
        return std::nullopt;
    }
    int value = 0;
    auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc() || end != text->data() + text->size() || value <= 0) {
        return std::nullopt;
    }
    return value;
}
}  // namespace

KeychainManager::KeychainManager(KeychainItemStore& store) : store_(store) {}

std::string KeychainManager::protocolText(const std::string& scheme) {
    return scheme.find("http") != std::string::npos ? "https" : scheme;
}

std::optional<KeychainManager::SiteKey> KeychainManager::siteKey(const std::optional<Url>& url) {
    if (!url || url->host().empty() || url->scheme().empty()) {
        return std::nullopt;
    }
    return SiteKey{protocolText(url->scheme()), url->host(), url->port()};
}

KeychainAttributes KeychainManager::baseQuery(const SiteKey& site, const std::string* account) {
    KeychainAttributes query{
        {KeychainAttribute::kClass, KeychainAttribute::kClassInternetPassword},
        {KeychainAttribute::kProtocol, site.protocol},
        {KeychainAttribute::kServer, site.server},
        {KeychainAttribute::kSynchronizable, KeychainAttribute::kTrue},
    };
    if (account) {
        query[KeychainAttribute::kAccount] = *account;
    }
    if (site.port) {
        query[KeychainAttribute::kPort] = std::to_string(*site.port);
    }
    return query;
}

bool KeychainManager::fail(KeychainError failure, KeychainError* error) {
    if (error) {
        *error = failure;
    }
    return false;
}

bool KeychainManager::credentialsExistsFor(const std::string& userName,
                                           const std::optional<Url>& url) {
    std::optional<SiteKey> site = siteKey(url);
    if (!site) {
        return false;
    }
    return store_.searchOne(baseQuery(*site, &userName), nullptr) != errSecItemNotFound;
}

bool KeychainManager::saveCredentials(const std::string& password, const std::string& userName,
                                      const std::optional<Url>& url, KeychainError* error) {
    std::optional<SiteKey> site = siteKey(url);
    if (!site) {
        return true;
    }
    std::lock_guard lock(saveLock());
    if (credentialsExistsFor(userName, url)) {
        return updateCredentials(password, userName, url, error);
    }
    KeychainItem item;
    item.attributes = baseQuery(*site, &userName);
    item.attributes[KeychainAttribute::kAccessible] = KeychainAttribute::kAccessibleWhenUnlocked;
    item.attributes[KeychainAttribute::kAuthenticationType] =
        KeychainAttribute::kAuthenticationTypeHTMLForm;
    item.attributes[KeychainAttribute::kDescription] = KeychainAttribute::kWebFormPassword;
    item.label = site->server + " (" + userName + ")";
    item.data = password;
    OSStatus status = store_.add(item);
    if (status != errSecSuccess) {
        return fail(KeychainError::unhandledError(status), error);
    }
    return true;
}

bool KeychainManager::updateCredentials(const std::string& password, const std::string& userName,
                                        const std::optional<Url>& url, KeychainError* error) {
    std::optional<SiteKey> site = siteKey(url);
    if (!site) {
        return true;
    }
    OSStatus status = store_.update(baseQuery(*site, &userName), password);
    if (status == errSecItemNotFound) {
        return fail(KeychainError::noPassword(), error);
    }
    if (status != errSecSuccess) {
        return fail(KeychainError::unhandledError(status), error);
    }
    return true;
}

bool KeychainManager::deleteCredentialsFor(const std::string& userName,
                                           const std::optional<Url>& url, KeychainError* error) {
    std::optional<SiteKey> site = siteKey(url);
    if (!site) {
        return true;
    }
    OSStatus status = store_.remove(baseQuery(*site, &userName));
    if (status != errSecSuccess && status != errSecItemNotFound) {
        return fail(KeychainError::unhandledError(status), error);
    }
    return true;
}

std::optional<std::string> KeychainManager::passwordFor(const std::string& userName,
                                                        const std::optional<Url>& url,
                                                        KeychainError* error) {
    std::optional<SiteKey> site = siteKey(url);
    if (!site) {
        return std::string();
    }
    KeychainItem match;
    OSStatus status = store_.searchOne(baseQuery(*site, &userName), &match);
    if (!found(status, error)) {
        return std::nullopt;
    }
    if (!match.data || !isUtf8(*match.data)) {
        fail(KeychainError::unexpectedPasswordData(), error);
        return std::nullopt;
    }
    return *match.data;
}

bool KeychainManager::found(OSStatus status, KeychainError* error) {
    if (status == errSecItemNotFound) {
        fail(KeychainError::noPassword(), error);
        return false;
    }
    if (status != errSecSuccess) {
        fail(KeychainError::unhandledError(status), error);
        return false;
    }
    return true;
}

std::optional<std::vector<KeychainItem>> KeychainManager::searchAll(const KeychainAttributes& query,
                                                                    KeychainError* error) {
    std::vector<KeychainItem> matches;
    OSStatus status = store_.searchAll(query, &matches);
    if (!found(status, error)) {
        return std::nullopt;
    }
    return matches;
}

std::optional<std::vector<Credentials>> KeychainManager::credentialsWithSavedFor(
    const std::optional<Url>& url, KeychainError* error) {
    std::optional<SiteKey> site = siteKey(url);
    if (!site) {
        return std::vector<Credentials>();
    }
    std::optional<std::vector<KeychainItem>> matches = searchAll(baseQuery(*site, nullptr), error);
    if (!matches) {
        return std::nullopt;
    }
    std::vector<Credentials> credentials;
    for (const KeychainItem& item : *matches) {
        const std::string* account = attribute(item, KeychainAttribute::kAccount);
        if (!account || !item.data || !isUtf8(*item.data)) {
            continue;
        }
        credentials.emplace_back(*account, *item.data, *url);
    }
    return credentials;
}

std::optional<std::vector<Credentials>> KeychainManager::allSavedCredentialsAndReturnError(
    KeychainError* error) {
    KeychainAttributes query{
        {KeychainAttribute::kClass, KeychainAttribute::kClassInternetPassword},
        {KeychainAttribute::kSynchronizable, KeychainAttribute::kTrue},
    };
    std::optional<std::vector<KeychainItem>> matches = searchAll(query, error);
    if (!matches) {
        return std::nullopt;
    }
    std::vector<Credentials> credentials;
    for (const KeychainItem& item : *matches) {
        const std::string* account = attribute(item, KeychainAttribute::kAccount);
        const std::string* server = attribute(item, KeychainAttribute::kServer);
        const std::string* protocol = attribute(item, KeychainAttribute::kProtocol);
        if (!account || !server || !protocol || !item.data || !isUtf8(*item.data) ||
            server->empty() || protocol->empty()) {
            continue;
        }
        // A URL's host loses the brackets of an IPv6 address; put them back to rebuild it.
        std::string host = server->find(':') != std::string::npos && server->front() != '['
                               ? "[" + *server + "]"
                               : *server;
        std::string text = *protocol + "://" + host;
        if (std::optional<int> port = positiveInteger(attribute(item, KeychainAttribute::kPort))) {
            text += ":" + std::to_string(*port);
        }
        std::optional<Url> url = Url::parse(text);
        if (!url || url->host().empty()) {
            continue;
        }
        credentials.emplace_back(*account, *item.data, *url);
    }
    return credentials;
}
