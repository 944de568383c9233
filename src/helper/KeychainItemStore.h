#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Result codes of the item operations, with the values the platform keychain uses.
using OSStatus = std::int32_t;
constexpr OSStatus errSecSuccess = 0;
constexpr OSStatus errSecIO = -36;
constexpr OSStatus errSecParam = -50;
constexpr OSStatus errSecNotAvailable = -25291;  // no keyring service
constexpr OSStatus errSecDuplicateItem = -25299;
constexpr OSStatus errSecItemNotFound = -25300;
constexpr OSStatus errSecNoDefaultKeychain = -25307;
constexpr OSStatus errSecInteractionNotAllowed = -25308;  // the keyring is locked

// Attribute name to text; integers and booleans are written as decimal text and "true"/"false",
// the way the Secret Service keeps them.
using KeychainAttributes = std::map<std::string, std::string>;

// Attribute names of a saved web-form login, and the fixed values written on creation.
struct KeychainAttribute {
    static constexpr const char* kClass = "class";
    static constexpr const char* kProtocol = "protocol";
    static constexpr const char* kServer = "server";
    static constexpr const char* kAccount = "account";
    static constexpr const char* kPort = "port";                      // integer
    static constexpr const char* kSynchronizable = "synchronizable";  // boolean
    static constexpr const char* kAccessible = "accessible";
    static constexpr const char* kAuthenticationType = "authenticationType";
    static constexpr const char* kDescription = "description";

    static constexpr const char* kClassInternetPassword = "internet-password";
    static constexpr const char* kAccessibleWhenUnlocked = "when-unlocked";
    static constexpr const char* kAuthenticationTypeHTMLForm = "html-form";
    static constexpr const char* kWebFormPassword = "Web Form Password";
    static constexpr const char* kTrue = "true";
};

struct KeychainItem {
    KeychainAttributes attributes;
    std::string label;
    std::optional<std::string> data;  // raw bytes; absent when the store could not read them
};

// The raw item operations of a keychain. A query matches every item whose attributes include
// all of the query's attributes with equal values; attributes the query does not name are not
// compared.
class KeychainItemStore {
  public:
    virtual ~KeychainItemStore() = default;

    virtual OSStatus add(const KeychainItem& item) = 0;
    // Replaces the data of every matching item; errSecItemNotFound when none matches.
    virtual OSStatus update(const KeychainAttributes& query, const std::string& data) = 0;
    // Deletes every matching item; errSecItemNotFound when none matches.
    virtual OSStatus remove(const KeychainAttributes& query) = 0;
    // The first match with its attributes and data; `match` may be null to test existence.
    virtual OSStatus searchOne(const KeychainAttributes& query, KeychainItem* match) = 0;
    // Every match with its attributes and data; errSecItemNotFound when none matches.
    virtual OSStatus searchAll(const KeychainAttributes& query,
                               std::vector<KeychainItem>* matches) = 0;
};
