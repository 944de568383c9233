// The shell's client with the real CorvaHelper started by a private session bus from the
// service file the client writes, with gnome-keyring and a fake notification server.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "BusFixtures.h"
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

using Password = std::optional<std::string>;

// Makes the request and waits for its one reply, which must come on the main loop, never
// inside the request.
template <class Value, class Method, class... Args>
Value ask(VLServiceManager& manager, Method method, const Args&... args) {
    struct State {
        std::optional<Value> value;
        bool requesting = true, onMainThread = false, inside = false;
    };
    auto state = std::make_shared<State>();
    (manager.*method)(args..., [state](const Value& received) {
        state->value = received;
        state->onMainThread = MainThread::isMain();
        state->inside = state->requesting;
    });
    state->requesting = false;
    if (!waitUntil([&] { return state->value.has_value(); })) {
        ADD_FAILURE() << "no reply";
        return Value();
    }
    EXPECT_TRUE(state->onMainThread);
    EXPECT_FALSE(state->inside);
    return *state->value;
}
using M = VLServiceManager;
}  // namespace

TEST(VLServiceManager, StartsTheBundlesHelperAndForwardsEveryRequest) {
    // The services folder does not exist when the bus starts; the client writes the only service
    // file into it. A bundle name with blanks and quotes tests the Exec= line: the bus must
    // start the helper from it.
    PrivateBus bus({servicesFolder()});
    KeyringDaemon keyring(bus);
    installBundle(TestHome::path() + "/It's \"Mail\" $HOME.app");
    VLServiceManager manager;
    ASSERT_TRUE(manager.isConnected());

    const Url site = url("https://mail.example/");
    EXPECT_TRUE(
        ask<bool>(manager, &M::saveCredentials, "pw1", "alice", url("http://mail.example/in")));
    auto list = ask<std::vector<VLCredentials>>(manager, &M::credentialsSavedFor, site);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].username(), "alice");
    EXPECT_EQ(list[0].password(), "pw1");
    EXPECT_EQ(list[0].url(), site);

    EXPECT_TRUE(ask<bool>(manager, &M::updateCredentials, "pw2", "alice", site));
    EXPECT_EQ(ask<Password>(manager, &M::passwordFor, "alice", site), "pw2");
    EXPECT_EQ(ask<Password>(manager, &M::passwordFor, "bob", site), std::nullopt);
    // Absent username and URL: the empty password, as for a page without host.
    EXPECT_EQ(ask<Password>(manager, &M::passwordFor, std::nullopt, std::nullopt), "");
    EXPECT_FALSE(ask<bool>(manager, &M::updateCredentials, std::nullopt, "carol", site));
}

TEST(VLServiceManager, ANotificationClickBringsTheApplicationForward) {
    PrivateBus bus({servicesFolder()});
    FakeNotificationServer server(bus);
    installBundle(TestHome::bundlePath());
    LogCapture log;
    using Clicks = std::vector<std::pair<std::string, std::string>>;  // identifier, token
    Clicks clicked;
    VLServiceManager::setActivationHandler(
        [&](const std::string& identifier, const std::string& token) {
            EXPECT_TRUE(MainThread::isMain());
            clicked.push_back({identifier, token});
        });
    VLServiceManager manager;

    const std::string uuid = "9C5B94B1-35AD-49BB-B118-8E8FC24ABF80";
    manager.postNotification(notification(uuid, {action("reply", "Reply")}));
    ASSERT_TRUE(server.waitForNotifications(1));
    EXPECT_TRUE(waitUntil([&] { return log.contains("Notification posted"); }));

    // The action button brings the app forward with the server's activation token (a click on
    // the body is the page bridge test's).
    server.invokeAction(server.notifications()[0].id, "action", "token-1");
    ASSERT_TRUE(waitUntil([&] { return clicked.size() == 1; }));
    EXPECT_EQ(clicked, (Clicks{{uuid, "token-1"}}));

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
    EXPECT_EQ(clicked.size(), 1u);
    VLServiceManager::setActivationHandler(nullptr);
}

TEST(VLServiceManager, AMissingHelperIsLoggedOnceAndNothingIsSentAgain) {
    PrivateBus bus({servicesFolder()});
    installBundle(TestHome::path() + "/Empty.app", false);
    LogCapture log;
    VLServiceManager manager;
    const Url site = url("https://mail.example/");
    int callbacks = 0;
    auto count = [&](const auto&) { ++callbacks; };
    manager.saveCredentials("pw", "alice", site, count);
    ASSERT_TRUE(waitUntil([&] { return log.contains("connection cannot be established"); }));
    EXPECT_FALSE(manager.isConnected());
    manager.credentialsSavedFor(site, count);
    manager.postNotification(VLNotificationInfo());
    manager.passwordFor("alice", site, count);
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

    EXPECT_TRUE(
        ask<bool>(manager, &M::saveCredentials, "pw", "alice", url("https://mail.example/")));
    pid_t helper = bus.ownerPid(observer.get(), CorvaInterfaces::kBusName);
    ASSERT_GT(helper, 0);
    ASSERT_EQ(kill(helper, SIGKILL), 0);
    ASSERT_TRUE(
        waitUntil([&] { return log.contains("connection used to work but suddenly terminated"); }));

    EXPECT_EQ(ask<Password>(manager, &M::passwordFor, "alice", url("https://mail.example/")), "pw");
    pid_t replacement = bus.ownerPid(observer.get(), CorvaInterfaces::kBusName);
    EXPECT_GT(replacement, 0);
    EXPECT_NE(replacement, helper);
    EXPECT_TRUE(manager.isConnected());
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
    EXPECT_EQ(ask<Password>(manager, &M::passwordFor, "alice", std::nullopt), "");
}
