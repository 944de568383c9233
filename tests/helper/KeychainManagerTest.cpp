#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "InMemoryKeychainStore.h"
#include "helper/KeychainManager.h"

namespace {
Url url(const std::string& text) {
    std::optional<Url> parsed = Url::parse(text);
    EXPECT_TRUE(parsed) << text;
    return *parsed;
}

KeychainItem item(KeychainAttributes attributes, std::optional<std::string> data) {
    return KeychainItem{std::move(attributes), "label", std::move(data)};
}

const KeychainAttributes kSynchronizedPassword{{"class", "internet-password"},
                                               {"synchronizable", "true"}};

KeychainAttributes withAttributes(KeychainAttributes more) {
    KeychainAttributes attributes = kSynchronizedPassword;
    attributes.merge(more);
    return attributes;
}
}  // namespace

// A keychain manager over an empty in-memory store.
class Keychain : public testing::Test {
  protected:
    InMemoryKeychainStore store;
    KeychainManager keychain{store};
};

TEST_F(Keychain, SavedLoginIsOneWebFormItemFoundFromHttpAndHttps) {
    ASSERT_TRUE(keychain.saveCredentials("s3cret", "alice", url("http://site.example/login?x=1")));

    auto items = store.items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].attributes, (KeychainAttributes{{"class", "internet-password"},
                                                       {"protocol", "https"},
                                                       {"server", "site.example"},
                                                       {"account", "alice"},
                                                       {"synchronizable", "true"},
                                                       {"accessible", "when-unlocked"},
                                                       {"authenticationType", "html-form"},
                                                       {"description", "Web Form Password"}}));
    EXPECT_EQ(items[0].label, "site.example (alice)");
    EXPECT_EQ(items[0].data, "s3cret");

    // Path, query and scheme (http or https) do not matter.
    Url asked = url("https://site.example/other/page#top");
    EXPECT_EQ(keychain.passwordFor("alice", asked), "s3cret");
    // The URL of each login is the one asked about, not one rebuilt from the item.
    EXPECT_EQ(keychain.credentialsWithSavedFor(asked),
              (std::vector<Credentials>{Credentials("alice", "s3cret", asked)}));

    // Another scheme is another protocol text: not found.
    KeychainError error = KeychainError::unexpectedPasswordData();
    EXPECT_EQ(keychain.passwordFor("alice", url("ftp://site.example/"), &error), std::nullopt);
    EXPECT_EQ(error, KeychainError::noPassword());
}

TEST_F(Keychain, SavingAgainReplacesThePasswordOfThatAccountOnly) {
    Url site = url("https://site.example/");
    ASSERT_TRUE(keychain.saveCredentials("one", "alice", site));
    ASSERT_TRUE(keychain.saveCredentials("two", "alice", url("http://site.example/again")));
    ASSERT_TRUE(keychain.saveCredentials("bobs", "bob", site));
    ASSERT_TRUE(keychain.saveCredentials("other", "alice", url("https://other.example/")));
    EXPECT_EQ(store.items().size(), 3u);
    EXPECT_EQ(keychain.credentialsWithSavedFor(site),
              (std::vector<Credentials>{{"alice", "two", site}, {"bob", "bobs", site}}));

    // Empty username and password are a login like any other.
    ASSERT_TRUE(keychain.saveCredentials("", "", site));
    EXPECT_EQ(keychain.passwordFor("", site), "");
}

TEST_F(Keychain, UrlWithoutHostOrSchemeStoresNothingAndAnswersEmpty) {
    for (const std::optional<Url>& noSite :
         {std::optional<Url>(url("file:///home/user/page.html")), Url::parse("relative/page"),
          Url::parse("//host.example/no-scheme"), std::optional<Url>()}) {
        KeychainError error = KeychainError::unexpectedPasswordData();
        EXPECT_TRUE(keychain.saveCredentials("pw", "alice", noSite, &error));
        EXPECT_TRUE(keychain.updateCredentials("pw", "alice", noSite, &error));
        EXPECT_TRUE(keychain.deleteCredentialsFor("alice", noSite, &error));
        EXPECT_FALSE(keychain.credentialsExistsFor("alice", noSite));
        EXPECT_EQ(keychain.passwordFor("alice", noSite, &error), "");
        EXPECT_EQ(keychain.credentialsWithSavedFor(noSite, &error), std::vector<Credentials>{});
        // Nothing was set in the error slot.
        EXPECT_EQ(error, KeychainError::unexpectedPasswordData());
    }
    EXPECT_EQ(store.operationCount(), 0);
}

TEST_F(Keychain, ExplicitPortIsPartOfTheItemButNotOfQueriesWithoutOne) {
    ASSERT_TRUE(keychain.saveCredentials("ported", "alice", url("https://site.example:8443/a")));
    ASSERT_EQ(store.items().size(), 1u);
    EXPECT_EQ(store.items()[0].attributes.at("port"), "8443");

    EXPECT_EQ(keychain.passwordFor("alice", url("https://site.example:8443/b")), "ported");
    // A URL naming no port does not compare ports.
    EXPECT_EQ(keychain.passwordFor("alice", url("https://site.example/")), "ported");
    // The default port written out is still a port.
    EXPECT_EQ(keychain.passwordFor("alice", url("https://site.example:443/")), std::nullopt);

    ASSERT_TRUE(keychain.saveCredentials("plain", "bob", url("https://site.example/")));
    EXPECT_EQ(keychain.passwordFor("bob", url("https://site.example:8443/")), std::nullopt);
    Url ported = url("https://site.example:8443/");
    EXPECT_EQ(keychain.credentialsWithSavedFor(ported),
              (std::vector<Credentials>{{"alice", "ported", ported}}));
    Url plain = url("https://site.example/");
    EXPECT_EQ(keychain.credentialsWithSavedFor(plain),
              (std::vector<Credentials>{{"alice", "ported", plain}, {"bob", "plain", plain}}));

    // Saving from the port-less URL finds the ported item and updates it: no new item.
    ASSERT_TRUE(keychain.saveCredentials("changed", "alice", url("https://site.example/")));
    EXPECT_EQ(store.items().size(), 2u);
    EXPECT_EQ(keychain.passwordFor("alice", url("https://site.example:8443/")), "changed");
}

TEST_F(Keychain, MissingItemsAndStoreFailures) {
    Url site = url("https://site.example/");
    KeychainError error = KeychainError::unexpectedPasswordData();

    // Nothing saved: the list is an error, not an empty list.
    EXPECT_EQ(keychain.credentialsWithSavedFor(site, &error), std::nullopt);
    EXPECT_EQ(error, KeychainError::noPassword());
    error = KeychainError::unexpectedPasswordData();
    EXPECT_FALSE(keychain.updateCredentials("pw", "alice", site, &error));
    EXPECT_EQ(error, KeychainError::noPassword());
    error = KeychainError::unexpectedPasswordData();
    EXPECT_TRUE(keychain.deleteCredentialsFor("alice", site, &error));
    EXPECT_EQ(error, KeychainError::unexpectedPasswordData());
    EXPECT_EQ(keychain.allSavedCredentialsAndReturnError(&error), std::nullopt);
    EXPECT_EQ(error, KeychainError::noPassword());

    ASSERT_TRUE(keychain.saveCredentials("pw", "alice", site));
    EXPECT_TRUE(keychain.deleteCredentialsFor("alice", site));
    EXPECT_TRUE(store.items().empty());

    // Adding fails: the code comes back, nothing is stored.
    store.failAddWith(-25299);
    EXPECT_FALSE(keychain.saveCredentials("pw", "alice", site, &error));
    EXPECT_EQ(error, KeychainError::unhandledError(-25299));
    EXPECT_TRUE(store.items().empty());
    store.failAddWith(std::nullopt);
    ASSERT_TRUE(keychain.saveCredentials("kept", "alice", site));

    // A locked keyring: the existence test counts the failure as an existing item, so saving
    // tries an update, which fails with the same code. Nothing changes.
    store.failEveryOperationWith(errSecInteractionNotAllowed);
    EXPECT_TRUE(keychain.credentialsExistsFor("nobody", site));
    EXPECT_FALSE(keychain.saveCredentials("new", "alice", site, &error));
    EXPECT_EQ(error, KeychainError::unhandledError(errSecInteractionNotAllowed));
    EXPECT_EQ(keychain.passwordFor("alice", site, &error), std::nullopt);
    EXPECT_EQ(error, KeychainError::unhandledError(errSecInteractionNotAllowed));
    EXPECT_EQ(keychain.credentialsWithSavedFor(site, &error), std::nullopt);
    EXPECT_FALSE(keychain.deleteCredentialsFor("alice", site, &error));
    EXPECT_EQ(keychain.allSavedCredentialsAndReturnError(&error), std::nullopt);
    EXPECT_EQ(error, KeychainError::unhandledError(errSecInteractionNotAllowed));
    store.failEveryOperationWith(std::nullopt);
    EXPECT_EQ(keychain.passwordFor("alice", site), "kept");
    EXPECT_EQ(store.items().size(), 1u);
}

TEST_F(Keychain, PasswordDataThatIsNotTextIsUnexpected) {
    const KeychainAttributes site{{"protocol", "https"}, {"server", "site.example"}};
    auto account = [&](const std::string& name) {
        return withAttributes(
            {{"protocol", "https"}, {"server", "site.example"}, {"account", name}});
    };
    store.insert(item(account("binary"), std::string("\xff\xfe\x00", 3)));
    store.insert(item(account("nodata"), std::nullopt));
    store.insert(item(withAttributes(site), std::string("no account")));
    store.insert(item(account("good"), std::string("gr\xc3\xbcn")));

    Url page = url("https://site.example/");
    for (const char* unreadable : {"binary", "nodata"}) {
        KeychainError error = KeychainError::noPassword();
        EXPECT_EQ(keychain.passwordFor(unreadable, page, &error), std::nullopt);
        EXPECT_EQ(error, KeychainError::unexpectedPasswordData());
    }
    // The list skips what it cannot read.
    EXPECT_EQ(keychain.credentialsWithSavedFor(page),
              (std::vector<Credentials>{Credentials("good", "gr\xc3\xbcn", page)}));
}

TEST_F(Keychain, FullListRebuildsEachUrlFromProtocolServerAndPort) {
    using Item = std::pair<KeychainAttributes, std::optional<std::string>>;
    for (const auto& [attributes, data] : std::vector<Item>{
             {{{"protocol", "https"}, {"server", "a.example"}, {"account", "ann"}}, "1"},
             {{{"protocol", "ftp"}, {"server", "b.example"}, {"account", "ben"}, {"port", "21"}},
              "2"},
             {{{"protocol", "https"}, {"server", "c.example"}, {"account", "cat"}, {"port", "0"}},
              "3"},
             {{{"protocol", "https"}, {"server", "::1"}, {"account", "dan"}, {"port", "8443"}},
              "4"},
             // Skipped: no account, no server, a server that makes no URL, data that is not text.
             {{{"protocol", "https"}, {"server", "e.example"}}, "5"},
             {{{"protocol", "https"}, {"account", "fay"}}, "6"},
             {{{"protocol", "https"}, {"server", "bad host"}, {"account", "gus"}}, "7"},
             {{{"protocol", "https"}, {"server", "h.example"}, {"account", "hal"}},
              std::string("\xc0", 1)}}) {
        store.insert(item(withAttributes(attributes), data));
    }
    // Not synchronizable: not one of ours.
    store.insert(item({{"class", "internet-password"},
                       {"protocol", "https"},
                       {"server", "i.example"},
                       {"account", "ivy"}},
                      "9"));
    EXPECT_EQ(keychain.allSavedCredentialsAndReturnError(),
              (std::vector<Credentials>{Credentials("ann", "1", url("https://a.example")),
                                        Credentials("ben", "2", url("ftp://b.example:21")),
                                        Credentials("cat", "3", url("https://c.example")),
                                        Credentials("dan", "4", url("https://[::1]:8443"))}));
}

TEST_F(Keychain, ConcurrentSavesOfOneAccountMakeOneItem) {
    Url site = url("https://site.example/");
    std::future<bool> second;
    bool secondFinishedInside = false;
    // While the first save is between its existence test and its add, a second save of the same
    // account must wait for it instead of adding a second item.
    store.onExistenceSearch([&] {
        store.onExistenceSearch(nullptr);
        second = std::async(std::launch::async,
                            [&] { return keychain.saveCredentials("second", "alice", site); });
        secondFinishedInside =
            second.wait_for(std::chrono::milliseconds(200)) == std::future_status::ready;
    });
    ASSERT_TRUE(keychain.saveCredentials("first", "alice", site));
    ASSERT_TRUE(second.valid());
    EXPECT_TRUE(second.get());
    EXPECT_FALSE(secondFinishedInside);
    ASSERT_EQ(store.items().size(), 1u);
    EXPECT_EQ(store.items()[0].data, "second");
}
