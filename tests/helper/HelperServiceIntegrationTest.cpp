// The real CorvaHelper on a private session bus, with gnome-keyring and a fake notification
// server, driven over D-Bus the way the shell drives it (and the way a hostile client might).
#include <gtest/gtest.h>

#include "DBusCall.h"
#include "FakeNotificationServer.h"
#include "HelperProcess.h"
#include "KeyringDaemon.h"
#include "MainLoopWait.h"
#include "PrivateBus.h"
#include "ShellStub.h"
#include "helper/CorvaInterfaces.h"
#include "helper/RecordCoding.h"
#include "helper/VLCredentials.h"
#include "helper/VLNotificationInfo.h"
#include "helper/WireValue.h"

namespace {
const char* const kInvalidArgs = "org.freedesktop.DBus.Error.InvalidArgs";

CallResult helperCall(GDBusConnection* connection, const char* method, GVariant* parameters) {
    return callAndWait(connection, CorvaInterfaces::kBusName, CorvaInterfaces::kHelperObjectPath,
                       CorvaInterfaces::kHelperInterface, method, parameters);
}

std::optional<bool> boolReply(const CallResult& result) {
    if (!result.ok()) {
        ADD_FAILURE() << result.errorName << ": " << result.errorMessage;
        return std::nullopt;
    }
    gboolean value = FALSE;
    g_variant_get(result.reply.get(), "(b)", &value);
    return value != FALSE;
}

std::optional<bool> save(GDBusConnection* c, const std::string& password,
                         const std::string& username, const std::string& url) {
    return boolReply(
        helperCall(c, "saveCredentials",
                   g_variant_new("(ss(s))", password.c_str(), username.c_str(), url.c_str())));
}

std::optional<bool> update(GDBusConnection* c, const std::string& password,
                           const std::string& username, const std::string& url) {
    return boolReply(
        helperCall(c, "updateCredentials",
                   g_variant_new("(ss(s))", password.c_str(), username.c_str(), url.c_str())));
}

// (answered, password)
std::pair<bool, std::optional<std::string>> password(GDBusConnection* c,
                                                     const std::string& username,
                                                     const std::string& url) {
    CallResult result =
        helperCall(c, "passwordFor", g_variant_new("(s(s))", username.c_str(), url.c_str()));
    if (!result.ok()) {
        return {false, std::nullopt};
    }
    VariantRef value = VariantRef::adopt(g_variant_get_child_value(result.reply.get(), 0));
    return {true, WireValue::decodeOptionalString(value.get(), "reply")};
}

std::vector<VLCredentials> credentials(GDBusConnection* c, const std::string& url) {
    CallResult result = helperCall(c, "credentialsSavedFor", g_variant_new("((s))", url.c_str()));
    EXPECT_TRUE(result.ok()) << result.errorName;
    if (!result.ok()) {
        return {};
    }
    VariantRef array = VariantRef::adopt(g_variant_get_child_value(result.reply.get(), 0));
    auto decoded = RecordCoding::decodeArray<VLCredentials>(array.get(), 100, nullptr);
    EXPECT_TRUE(decoded);
    return decoded.value_or(std::vector<VLCredentials>{});
}

VLNotificationActionInfo action(const std::string& identifier, const std::string& title) {
    VLNotificationActionInfo info;
    info.setIdentifier(identifier);
    info.setTitle(title);
    return info;
}

CallResult post(GDBusConnection* c, const VLNotificationInfo& info) {
    VariantRef record = RecordCoding::encode(info);
    GVariant* fields[] = {record.get()};
    return helperCall(c, "postNotification", g_variant_new_tuple(fields, 1));
}

CallResult postRaw(GDBusConnection* c, const char* recordText) {
    GVariant* record =
        g_variant_parse(G_VARIANT_TYPE_VARDICT, recordText, nullptr, nullptr, nullptr);
    EXPECT_TRUE(record) << recordText;
    GVariant* fields[] = {record};
    return helperCall(c, "postNotification", g_variant_new_tuple(fields, 1));
}

VLNotificationInfo notification(const std::string& identifier,
                                std::vector<VLNotificationActionInfo> actions) {
    VLNotificationInfo info;
    info.setTitle("New mail");
    info.setSubTitle("mail.example");
    info.setMessage("Hello & welcome");
    info.setIdentifier(identifier);
    info.setActions(std::move(actions));
    return info;
}
}  // namespace

TEST(HelperService, KeepsLoginsInTheKeyring) {
    PrivateBus bus;
    KeyringDaemon keyring(bus);
    HelperProcess helper(bus);
    ShellStub shell(bus);
    GDBusConnection* c = shell.connection();

    EXPECT_EQ(save(c, "pw1", "alice", "https://site.example/login"), true);
    EXPECT_EQ(save(c, "pwb", "bob", "http://site.example/"), true);
    std::vector<VLCredentials> saved = credentials(c, "https://site.example/any?page=2");
    ASSERT_EQ(saved.size(), 2u);
    std::sort(saved.begin(), saved.end(),
              [](const auto& a, const auto& b) { return a.username() < b.username(); });
    EXPECT_EQ(saved[0].username(), "alice");
    EXPECT_EQ(saved[0].password(), "pw1");
    EXPECT_EQ(saved[0].url(), Url::parse("https://site.example/any?page=2"));
    EXPECT_EQ(saved[1].username(), "bob");

    // http and https are one site; saving again replaces.
    EXPECT_EQ(password(c, "alice", "http://site.example/"),
              std::make_pair(true, std::optional<std::string>("pw1")));
    EXPECT_EQ(save(c, "pw2", "alice", "http://site.example/other"), true);
    EXPECT_EQ(password(c, "alice", "https://site.example/").second, "pw2");
    EXPECT_EQ(credentials(c, "https://site.example/").size(), 2u);

    EXPECT_EQ(update(c, "pw3", "carol", "https://site.example/"), false);
    EXPECT_EQ(update(c, "pw3", "alice", "https://site.example/"), true);
    EXPECT_EQ(password(c, "alice", "https://site.example/").second, "pw3");
    EXPECT_EQ(password(c, "nobody", "https://site.example/"),
              std::make_pair(true, std::optional<std::string>()));
    EXPECT_TRUE(credentials(c, "https://other.example/").empty());

    // No host, and no URL at all: YES, the empty password, an empty list; nothing stored.
    for (const char* noSite : {"file:///tmp/page.html", ""}) {
        EXPECT_EQ(save(c, "x", "alice", noSite), true);
        EXPECT_EQ(update(c, "x", "alice", noSite), true);
        EXPECT_EQ(password(c, "alice", noSite).second, "");
        EXPECT_TRUE(credentials(c, noSite).empty());
    }
    EXPECT_EQ(password(c, "alice", "https://site.example/").second, "pw3");
}

TEST(HelperService, RefusesOrAnswersNoToHostileArguments) {
    PrivateBus bus;
    KeyringDaemon keyring(bus);
    HelperProcess helper(bus);
    ShellStub shell(bus);
    GDBusConnection* c = shell.connection();
    ASSERT_EQ(save(c, "kept", "alice", "https://site.example/"), true);

    // Wrong D-Bus types are refused by the bus layer before the helper sees them.
    EXPECT_EQ(
        helperCall(c, "saveCredentials", g_variant_new("(sss)", "p", "u", "https://site.example/"))
            .errorName,
        kInvalidArgs);
    EXPECT_EQ(helperCall(c, "credentialsSavedFor", g_variant_new("(s)", "https://site.example/"))
                  .errorName,
              kInvalidArgs);
    EXPECT_EQ(
        helperCall(c, "passwordFor", g_variant_new("(i(s))", 7, "https://site.example/")).errorName,
        kInvalidArgs);
    EXPECT_EQ(helperCall(c, "postNotification", g_variant_new("(s)", "hi")).errorName,
              kInvalidArgs);
    EXPECT_EQ(helperCall(c, "deleteCredentials", g_variant_new("()")).errorName,
              "org.freedesktop.DBus.Error.UnknownMethod");

    // Records where buttons belong refuse the whole notification.
    CallResult loginAsButton = postRaw(
        c, "{'identifier': <'n'>, 'actions': <[{'username': <'alice'>, 'password': <'pw'>}]>}");
    EXPECT_EQ(loginAsButton.errorName, kInvalidArgs);
    EXPECT_NE(loginAsButton.errorMessage.find("not a VLNotificationActionInfo"), std::string::npos)
        << loginAsButton.errorMessage;
    EXPECT_EQ(postRaw(c,
                      "{'identifier': <'n'>, 'actions': <[{'title': <'A'>, 'actions': "
                      "<[{'title': <'B'>}]>}]>}")
                  .errorName,
              kInvalidArgs);
    EXPECT_EQ(postRaw(c, "{'identifier': <'n'>, 'actions': <['reply']>}").errorName, kInvalidArgs);
    // A number where the identifier belongs: the notification has none and is not shown.
    EXPECT_EQ(boolReply(postRaw(c, "{'identifier': <42>, 'title': <'T'>}")), false);

    // Huge strings: NO, an absent password; nothing partial is stored.
    std::string huge(100 * 1024, 'x');
    EXPECT_EQ(save(c, huge, "alice", "https://site.example/"), false);
    EXPECT_EQ(save(c, "pw", huge, "https://site.example/"), false);
    EXPECT_EQ(update(c, huge, "alice", "https://site.example/"), false);
    EXPECT_EQ(password(c, huge, "https://site.example/"),
              std::make_pair(true, std::optional<std::string>()));
    std::string hugeUrl = "https://site.example/" + std::string(3 * 1024 * 1024, 'p');
    EXPECT_EQ(save(c, "pw", "mallory", hugeUrl), true);  // no URL: nothing to store
    std::vector<VLCredentials> saved = credentials(c, "https://site.example/");
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].username(), "alice");
    EXPECT_EQ(saved[0].password(), "kept");

    // Still serving.
    EXPECT_EQ(save(c, "after", "bob", "https://site.example/"), true);
    EXPECT_TRUE(helper.running());
    EXPECT_GE(helper.countLines("postNotification refused"), 3);
    EXPECT_GE(helper.countLines("over the limit"), 3);
}

TEST(HelperService, WithoutSecretServiceEveryPasswordOperationFails) {
    PrivateBus bus;
    HelperProcess helper(bus);
    ShellStub shell(bus);
    GDBusConnection* c = shell.connection();
    EXPECT_EQ(save(c, "pw", "alice", "https://site.example/"), false);
    EXPECT_EQ(update(c, "pw", "alice", "https://site.example/"), false);
    EXPECT_EQ(password(c, "alice", "https://site.example/"),
              std::make_pair(true, std::optional<std::string>()));
    EXPECT_TRUE(credentials(c, "https://site.example/").empty());
    // Without a site nothing needs the keyring.
    EXPECT_EQ(save(c, "pw", "alice", "about:blank"), true);
    EXPECT_EQ(helper.countLines("no Secret Service on the session bus"), 1) << helper.log();
}

TEST(HelperService, LockedKeyringFailsWithoutPromptingAndKeepsWhatWasSaved) {
    PrivateBus bus;
    KeyringDaemon keyring(bus);
    HelperProcess helper(bus);
    ShellStub shell(bus);
    GDBusConnection* c = shell.connection();
    ASSERT_EQ(save(c, "kept", "alice", "https://site.example/"), true);
    ASSERT_TRUE(keyring.lockDefaultKeyring());

    EXPECT_EQ(save(c, "new", "alice", "https://site.example/"), false);
    EXPECT_EQ(save(c, "new", "bob", "https://site.example/"), false);
    EXPECT_EQ(update(c, "new", "alice", "https://site.example/"), false);
    EXPECT_EQ(password(c, "alice", "https://site.example/"),
              std::make_pair(true, std::optional<std::string>()));
    EXPECT_TRUE(credentials(c, "https://site.example/").empty());
    EXPECT_EQ(helper.countLines("the keyring is locked"), 1) << helper.log();
}

TEST(HelperService, NotificationsShowButtonsAndClicksReachThePostingShell) {
    PrivateBus bus;
    FakeNotificationServer server(bus);
    HelperProcess helper(bus);
    ShellStub shell(bus);
    GDBusConnection* c = shell.connection();

    // One action: "Close" and the action's title; the body is subtitle and message.
    EXPECT_EQ(boolReply(post(c, notification("n1", {action("reply", "Reply")}))), true);
    ASSERT_TRUE(server.waitForNotifications(1));
    const auto& first = server.notifications()[0];
    EXPECT_EQ(first.appName, "CorvaHelper");
    EXPECT_EQ(first.summary, "New mail");
    EXPECT_EQ(first.body, "mail.example\nHello & welcome");
    EXPECT_EQ(first.actions,
              (std::vector<std::string>{"default", "Open", "close", "Close", "action", "Reply"}));
    server.invokeAction(first.id, "action");
    ASSERT_TRUE(shell.waitForActions(1));
    EXPECT_EQ(shell.actions()[0], (ShellStub::Action{"reply", "n1"}));
    // Taken off the screen after the click.
    EXPECT_TRUE(waitUntil([&] {
        return std::count(server.closeRequests().begin(), server.closeRequests().end(), first.id) >
               0;
    }));

    // Three actions, one button each by position; the second sends its own identifier.
    post(c, notification("n3", {action("a", "A"), action("b", "B"), action("c", "C")}));
    ASSERT_TRUE(server.waitForNotifications(2));
    const auto& three = server.notifications()[1];
    EXPECT_EQ(three.actions, (std::vector<std::string>{"default", "Open", "close", "Close", "0",
                                                       "A", "1", "B", "2", "C"}));
    server.invokeAction(three.id, "1");
    ASSERT_TRUE(shell.waitForActions(2));
    EXPECT_EQ(shell.actions()[1], (ShellStub::Action{"b", "n3"}));

    // "Close", and a dismissal by the server, tell the shell nothing; a click on the body of
    // the next one arrives with no action.
    post(c, notification("closed", {action("a", "A")}));
    post(c, notification("dismissed", {}));
    post(c, notification("body", {action("a", "A")}));
    ASSERT_TRUE(server.waitForNotifications(5));
    server.invokeAction(server.notifications()[2].id, "close");
    server.close(server.notifications()[3].id, 2);
    server.invokeAction(server.notifications()[3].id, "default");  // after its close: ignored
    server.invokeAction(server.notifications()[4].id, "default");
    ASSERT_TRUE(shell.waitForActions(3));
    EXPECT_EQ(shell.actions()[2], (ShellStub::Action{std::nullopt, "body"}));

    // Posting an identifier again replaces the shown notification: the old one is closed and
    // its buttons no longer count.
    post(c, notification("again", {action("old", "Old")}));
    post(c, notification("again", {action("new", "New")}));
    ASSERT_TRUE(server.waitForNotifications(7));
    std::uint32_t replaced = server.notifications()[5].id;
    EXPECT_TRUE(waitUntil([&] {
        return std::count(server.closeRequests().begin(), server.closeRequests().end(), replaced) >
               0;
    }));
    server.invokeAction(replaced, "action");
    server.invokeAction(server.notifications()[6].id, "action");
    ASSERT_TRUE(shell.waitForActions(4));
    EXPECT_EQ(shell.actions()[3], (ShellStub::Action{"new", "again"}));
    drainMainContext();
    EXPECT_EQ(shell.actions().size(), 4u);
}

TEST(HelperService, PageTextIsNotMarkupOnServersThatReadMarkup) {
    PrivateBus bus;
    FakeNotificationServer server(bus, true);
    HelperProcess helper(bus);
    ShellStub shell(bus);
    VLNotificationInfo info = notification("m", {});
    info.setMessage("<a href='https://evil.example/'>win</a> & <b>bold</b>");
    EXPECT_EQ(boolReply(post(shell.connection(), info)), true);
    ASSERT_TRUE(server.waitForNotifications(1));
    EXPECT_EQ(server.notifications()[0].body,
              "mail.example\n&lt;a href=&apos;https://evil.example/&apos;&gt;win&lt;/a&gt; &amp; "
              "&lt;b&gt;bold&lt;/b&gt;");
}

TEST(HelperService, WithoutNotificationServerPostingStillAnswersYes) {
    PrivateBus bus;
    HelperProcess helper(bus);
    ShellStub shell(bus);
    EXPECT_EQ(boolReply(post(shell.connection(), notification("a", {}))), true);
    EXPECT_EQ(boolReply(post(shell.connection(), notification("b", {action("x", "X")}))), true);
    EXPECT_EQ(helper.countLines("notifications cannot be shown"), 1) << helper.log();
}
