// The libsecret item store against a real gnome-keyring-daemon on a private bus.
#include <gtest/gtest.h>
#include <libsecret/secret.h>

#include "BusFixtures.h"
#include "LogCapture.h"
#include "helper/SecretServiceItemStore.h"

namespace {
KeychainItem login(const std::string& account, const std::string& data,
                   std::optional<std::string> port = std::nullopt) {
    KeychainItem item;
    item.attributes = {{"class", "internet-password"}, {"protocol", "https"},
                       {"server", "site.example"},     {"account", account},
                       {"synchronizable", "true"},     {"description", "Web Form Password"}};
    if (port) {
        item.attributes["port"] = *port;
    }
    item.label = "site.example (" + account + ")";
    item.data = data;
    return item;
}

// libsecret keeps the service (and with it the session bus connection) for the process; let
// go of it before the private bus goes down.
struct SecretServiceScope {
    ~SecretServiceScope() { secret_service_disconnect(); }
};
}  // namespace

TEST(SecretServiceItemStore, AddSearchUpdateAndRemoveByQuery) {
    PrivateBus bus;
    KeyringDaemon keyring(bus);
    SecretServiceScope scope;
    SecretServiceItemStore store;

    ASSERT_EQ(store.add(login("alice", "p\xc3\xa4ss", "8443")), errSecSuccess);
    ASSERT_EQ(store.add(login("bob", std::string("\xff\x00\x01", 3))), errSecSuccess);

    KeychainItem found;
    ASSERT_EQ(store.searchOne({{"server", "site.example"}, {"account", "alice"}}, &found),
              errSecSuccess);
    EXPECT_EQ(found.data, "p\xc3\xa4ss");
    EXPECT_EQ(found.attributes["port"], "8443");
    // Bytes that are not text come back as they went in.
    ASSERT_EQ(store.searchOne({{"account", "bob"}}, &found), errSecSuccess);
    EXPECT_EQ(found.data, std::string("\xff\x00\x01", 3));
    EXPECT_EQ(store.searchOne({{"account", "alice"}, {"port", "443"}}, nullptr),
              errSecItemNotFound);

    std::vector<KeychainItem> all;
    ASSERT_EQ(store.searchAll({{"server", "site.example"}}, &all), errSecSuccess);
    EXPECT_EQ(all.size(), 2u);

    // Items of other programs (another schema) are never matched.
    SecretSchema other{};
    other.name = "org.example.Other";
    other.attributes[0] = {"server", SECRET_SCHEMA_ATTRIBUTE_STRING};
    ASSERT_TRUE(secret_password_store_sync(&other, SECRET_COLLECTION_DEFAULT, "other", "theirs",
                                           nullptr, nullptr, "server", "site.example", nullptr));
    ASSERT_EQ(store.searchAll({{"server", "site.example"}}, &all), errSecSuccess);
    EXPECT_EQ(all.size(), 2u);

    EXPECT_EQ(store.update({{"account", "alice"}}, "changed"), errSecSuccess);
    ASSERT_EQ(store.searchOne({{"account", "alice"}}, &found), errSecSuccess);
    EXPECT_EQ(found.data, "changed");
    EXPECT_EQ(store.update({{"account", "carol"}}, "x"), errSecItemNotFound);
    EXPECT_EQ(store.remove({{"account", "carol"}}), errSecItemNotFound);
    EXPECT_EQ(store.remove({{"account", "alice"}}), errSecSuccess);
    EXPECT_EQ(store.searchOne({{"account", "alice"}}, &found), errSecItemNotFound);

    // What libsecret would refuse is answered with errSecParam.
    EXPECT_EQ(store.searchOne({{"color", "blue"}}, nullptr), errSecParam);
    EXPECT_EQ(store.searchOne({{"port", "eighty"}}, nullptr), errSecParam);
    EXPECT_EQ(store.add(login(std::string("\xc0", 1), "pw")), errSecParam);
}

TEST(SecretServiceItemStore, LockedKeyringAnswersWithoutPromptingAndLogsOnce) {
    PrivateBus bus;
    KeyringDaemon keyring(bus);
    SecretServiceScope scope;
    SecretServiceItemStore store;
    ASSERT_EQ(store.add(login("bob", "pw")), errSecSuccess);
    ASSERT_TRUE(keyring.lockDefaultKeyring());
    // Every operation fails without a prompt, logged once; no match is still none.
    LogCapture log;
    KeychainItem found;
    std::vector<KeychainItem> all;
    EXPECT_EQ(store.add(login("carol", "pw")), errSecInteractionNotAllowed);
    EXPECT_EQ(store.searchOne({{"account", "bob"}}, nullptr), errSecInteractionNotAllowed);
    EXPECT_EQ(store.searchOne({{"account", "bob"}}, &found), errSecInteractionNotAllowed);
    EXPECT_EQ(store.searchAll({{"server", "site.example"}}, &all), errSecInteractionNotAllowed);
    EXPECT_EQ(store.update({{"account", "bob"}}, "x"), errSecInteractionNotAllowed);
    EXPECT_EQ(store.remove({{"account", "bob"}}), errSecInteractionNotAllowed);
    EXPECT_EQ(store.searchOne({{"account", "nobody"}}, nullptr), errSecItemNotFound);
    EXPECT_EQ(log.count("the keyring is locked"), 1u);
}
