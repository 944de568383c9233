// The shell's client with the real CorvaHelper started by a private session bus from the
// service file the client writes, with gnome-keyring and a fake notification server.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "BusFixtures.h"
#include "FileGuards.h"
#include "LogCapture.h"
#include "MainLoopWait.h"
#include "RecordBuilders.h"
#include "TestHome.h"
#include "autofill/HelperServiceFile.h"
#include "autofill/VLServiceManager.h"
#include "foundation/Bundle.h"
#include "foundation/MainThread.h"
#include "helper/CorvaInterfaces.h"

namespace {
std::string servicesFolder() {
    return TestHome::dataHome() + "/dbus-1/services";
}

// Puts the built helper into a bundle at `bundlePath` and makes it the main bundle.
void installBundle(const std::string& bundlePath, bool withHelper = true) {
    std::filesystem::create_directories(bundlePath + "/Contents/MacOS");
    if (withHelper) {
        std::filesystem::create_symlink(HelperProcess::builtHelperPath(),
                                        bundlePath + "/Contents/MacOS/CorvaHelper");
    }
    Bundle::setMainBundlePath(bundlePath);
}

Url url(const char* text) {
    return *Url::parse(text);
}

// Waits for one reply and checks it arrives on the main loop, never inside the request.
template <class Value>
struct Reply {
    std::optional<Value> value;
    bool onMainThread = false;
    bool inside = false;
    auto callback(bool& requesting) {
        return [this, &requesting](const Value& received) {
            value = received;
            onMainThread = MainThread::isMain();
            inside = requesting;
        };
    }
    bool wait() {
        return waitUntil([&] { return value.has_value(); });
    }
};
}  // namespace

TEST(VLServiceManager, StartsTheBundlesHelperAndForwardsEveryRequest) {
    // The services folder does not exist when the bus starts; the client creates it. A bundle
    // name with blanks and quotes tests the Exec= line.
    PrivateBus bus({servicesFolder()});
    KeyringDaemon keyring(bus);
    std::string bundle = TestHome::path() + "/It's \"Mail\" $HOME.app";
    installBundle(bundle);
    LogCapture log;
    VLServiceManager manager;
    ASSERT_TRUE(manager.isConnected());
    EXPECT_EQ(readFileBytes(HelperServiceFile::path()),
              *HelperServiceFile::contents(bundle + "/Contents/MacOS/CorvaHelper"));

    bool requesting = true;
    Reply<bool> saved;
    manager.saveCredentials("pw1", "alice", url("https://mail.example/login"),
                            saved.callback(requesting));
    requesting = false;
    ASSERT_TRUE(saved.wait()) << "no reply";
    EXPECT_EQ(saved.value, true);
    EXPECT_TRUE(saved.onMainThread);
    EXPECT_FALSE(saved.inside);

    Reply<std::vector<VLCredentials>> list;
    manager.credentialsSavedFor(url("http://mail.example/inbox"), list.callback(requesting));
    ASSERT_TRUE(list.wait());
    ASSERT_EQ(list.value->size(), 1u);
    EXPECT_EQ((*list.value)[0].username(), "alice");
    EXPECT_EQ((*list.value)[0].password(), "pw1");
    EXPECT_EQ((*list.value)[0].url(), url("http://mail.example/inbox"));

    Reply<bool> updated;
    manager.updateCredentials("pw2", "alice", url("https://mail.example/"),
                              updated.callback(requesting));
    ASSERT_TRUE(updated.wait());
    EXPECT_EQ(updated.value, true);
    Reply<std::optional<std::string>> password;
    manager.passwordFor("alice", url("https://mail.example/"), password.callback(requesting));
    ASSERT_TRUE(password.wait());
    EXPECT_EQ(*password.value, "pw2");
    Reply<std::optional<std::string>> missing;
    manager.passwordFor("bob", url("https://mail.example/"), missing.callback(requesting));
    ASSERT_TRUE(missing.wait());
    EXPECT_EQ(*missing.value, std::nullopt);
    // Absent username and URL: the empty password, as for a page without host.
    Reply<std::optional<std::string>> noSite;
    manager.passwordFor(std::nullopt, std::nullopt, noSite.callback(requesting));
    ASSERT_TRUE(noSite.wait());
    EXPECT_EQ(*noSite.value, "");
    Reply<bool> notUpdated;
    manager.updateCredentials(std::nullopt, "carol", url("https://mail.example/"),
                              notUpdated.callback(requesting));
    ASSERT_TRUE(notUpdated.wait());
    EXPECT_EQ(notUpdated.value, false);
    EXPECT_FALSE(log.contains("connection cannot be established"));
}

TEST(VLServiceManager, ANotificationClickBringsTheApplicationForward) {
    PrivateBus bus({servicesFolder()});
    FakeNotificationServer server(bus);
    installBundle(TestHome::bundlePath());
    LogCapture log;
    std::vector<std::pair<std::string, std::string>> clicked;  // identifier, token
    VLServiceManager::setActivationHandler(
        [&](const std::string& identifier, const std::string& token) {
            EXPECT_TRUE(MainThread::isMain());
            clicked.push_back({identifier, token});
        });
    VLServiceManager manager;

    VLNotificationInfo info =
        notification("9C5B94B1-35AD-49BB-B118-8E8FC24ABF80", {action("reply", "Reply")});
    manager.postNotification(info);
    info.setIdentifier("second");
    info.setActions(std::nullopt);
    manager.postNotification(info);
    ASSERT_TRUE(server.waitForNotifications(2));
    EXPECT_TRUE(waitUntil([&] { return log.count("Notification posted") == 2u; }));

    // The action button, then a click on the other one's body: each brings the app forward.
    server.invokeAction(server.notifications()[0].id, "action", "token-1");
    ASSERT_TRUE(waitUntil([&] { return clicked.size() == 1; }));
    EXPECT_EQ(clicked[0], (std::pair<std::string, std::string>{
                              "9C5B94B1-35AD-49BB-B118-8E8FC24ABF80", "token-1"}))
        << "the server's activation token reaches the window presenter";
    server.invokeAction(server.notifications()[1].id, "default");
    ASSERT_TRUE(waitUntil([&] { return clicked.size() == 2; }));

    // Another program on the bus cannot do the same.
    GObjectPtr<GDBusConnection> stranger = bus.connect();
    CallResult names = callAndWait(stranger.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                   "org.freedesktop.DBus", "ListNames", nullptr);
    ASSERT_TRUE(names.ok());
    GVariantIter* iter = nullptr;
    g_variant_get(names.reply.get(), "(as)", &iter);
    const char* name = nullptr;
    int denied = 0;
    while (g_variant_iter_next(iter, "&s", &name)) {
        if (name[0] != ':') {
            continue;
        }
        CallResult result = callAndWait(stranger.get(), name, CorvaInterfaces::kInterfaceObjectPath,
                                        CorvaInterfaces::kInterfaceInterface, "notificationAction",
                                        g_variant_new("((bs)ss)", FALSE, "", "x", ""), 2000);
        denied += result.errorName == "org.freedesktop.DBus.Error.AccessDenied" ? 1 : 0;
    }
    g_variant_iter_free(iter);
    EXPECT_EQ(denied, 1);
    drainMainContext();
    EXPECT_EQ(clicked.size(), 2u);
    VLServiceManager::setActivationHandler(nullptr);
}

TEST(VLServiceManager, AMissingHelperIsLoggedOnceAndNothingIsSentAgain) {
    PrivateBus bus({servicesFolder()});
    installBundle(TestHome::path() + "/Empty.app", false);
    LogCapture log;
    VLServiceManager manager;
    int callbacks = 0;
    manager.saveCredentials("pw", "alice", url("https://mail.example/"),
                            [&](bool) { ++callbacks; });
    ASSERT_TRUE(waitUntil([&] { return log.contains("connection cannot be established"); }));
    EXPECT_FALSE(manager.isConnected());
    manager.credentialsSavedFor(url("https://mail.example/"), [&](const auto&) { ++callbacks; });
    manager.postNotification(VLNotificationInfo());
    manager.passwordFor("alice", url("https://mail.example/"), [&](const auto&) { ++callbacks; });
    drainMainContext();
    EXPECT_EQ(callbacks, 0);
    EXPECT_EQ(log.count("connection cannot be established"), 1u);
    EXPECT_FALSE(log.contains("Notification posted"));
}

TEST(VLServiceManager, AKilledHelperIsReplacedOnTheNextRequest) {
    PrivateBus bus({servicesFolder()});
    KeyringDaemon keyring(bus);
    installBundle(TestHome::bundlePath());
    LogCapture log;
    VLServiceManager manager;
    GObjectPtr<GDBusConnection> observer = bus.connect();

    bool requesting = false;
    Reply<bool> first;
    manager.saveCredentials("pw", "alice", url("https://mail.example/"),
                            first.callback(requesting));
    ASSERT_TRUE(first.wait());
    EXPECT_EQ(first.value, true);
    pid_t helper = bus.ownerPid(observer.get(), CorvaInterfaces::kBusName);
    ASSERT_GT(helper, 0);
    ASSERT_EQ(kill(helper, SIGKILL), 0);
    ASSERT_TRUE(
        waitUntil([&] { return log.contains("connection used to work but suddenly terminated"); }));

    Reply<std::optional<std::string>> second;
    manager.passwordFor("alice", url("https://mail.example/"), second.callback(requesting));
    ASSERT_TRUE(second.wait());
    EXPECT_EQ(*second.value, "pw");
    pid_t replacement = bus.ownerPid(observer.get(), CorvaInterfaces::kBusName);
    EXPECT_GT(replacement, 0);
    EXPECT_NE(replacement, helper);
    EXPECT_TRUE(manager.isConnected());
    EXPECT_FALSE(log.contains("connection cannot be established"));
}

TEST(VLServiceManager, AServiceFileOfAnotherBundleIsReplacedBeforeTheFirstRequest) {
    PrivateBus bus({servicesFolder()});
    // Another app's bundle, since moved away, wrote the file, and the bus has read it.
    ASSERT_EQ(HelperServiceFile::install("/gone/Old.app/Contents/MacOS/CorvaHelper"),
              HelperServiceFile::Result::written);
    GObjectPtr<GDBusConnection> other = bus.connect();
    CallResult stale = callAndWait(
        other.get(), CorvaInterfaces::kBusName, CorvaInterfaces::kHelperObjectPath,
        CorvaInterfaces::kHelperInterface, "passwordFor", g_variant_new("(s(s))", "a", ""));
    ASSERT_FALSE(stale.ok());
    EXPECT_NE(stale.errorName.find("Spawn"), std::string::npos) << stale.errorName;

    installBundle(TestHome::bundlePath());
    LogCapture log;
    VLServiceManager manager;
    bool requesting = false;
    Reply<std::optional<std::string>> answer;
    manager.passwordFor("alice", std::nullopt, answer.callback(requesting));
    ASSERT_TRUE(answer.wait());
    EXPECT_EQ(*answer.value, "");
}
