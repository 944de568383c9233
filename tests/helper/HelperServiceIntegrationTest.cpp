// The real CorvaHelper on a private session bus, with gnome-keyring and a fake notification
// server, driven over D-Bus the way the shell drives it (and the way a hostile client might).
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "BusFixtures.h"
#include "MainLoopWait.h"
#include "RecordBuilders.h"
#include "helper/CorvaInterfaces.h"
#include "helper/RecordCoding.h"
#include "helper/VLCredentials.h"
#include "helper/WireValue.h"

namespace {
const char* const kInvalidArgs = "org.freedesktop.DBus.Error.InvalidArgs";
const std::optional<std::string> kAbsent;

CallResult helperCall(GDBusConnection* connection, const char* method, GVariant* parameters) {
    return callAndWait(connection, CorvaInterfaces::kBusName, CorvaInterfaces::kHelperObjectPath,
                       CorvaInterfaces::kHelperInterface, method, parameters);
}

std::optional<bool> boolReply(const CallResult& result) {
    gboolean value = FALSE;
    if (!result.ok()) {
        ADD_FAILURE() << result.errorName << ": " << result.errorMessage;
        return std::nullopt;
    }
    g_variant_get(result.reply.get(), "(b)", &value);
    return value != FALSE;
}

// saveCredentials or updateCredentials.
std::optional<bool> store(GDBusConnection* c, const char* method, const std::string& password,
                          const std::string& username, const std::string& url) {
    return boolReply(helperCall(
        c, method, g_variant_new("(ss(s))", password.c_str(), username.c_str(), url.c_str())));
}

// The password, absent when absent; "failed" when the call had no reply.
std::optional<std::string> password(GDBusConnection* c, const std::string& username,
                                    const std::string& url) {
    CallResult result =
        helperCall(c, "passwordFor", g_variant_new("(s(s))", username.c_str(), url.c_str()));
    if (!result.ok()) {
        return "failed";
    }
    VariantRef value = VariantRef::adopt(g_variant_get_child_value(result.reply.get(), 0));
    return WireValue::decodeOptionalString(value.get(), "reply");
}

using Logins = std::vector<std::pair<std::string, std::string>>;

// (username, password) of each login saved for the URL, which each must carry.
Logins logins(GDBusConnection* c, const std::string& url) {
    CallResult result = helperCall(c, "credentialsSavedFor", g_variant_new("((s))", url.c_str()));
    if (!result.ok()) {
        ADD_FAILURE() << result.errorName;
        return {};
    }
    VariantRef array = VariantRef::adopt(g_variant_get_child_value(result.reply.get(), 0));
    auto decoded = RecordCoding::decodeArray<VLCredentials>(array.get(), 100, nullptr);
    EXPECT_TRUE(decoded);
    Logins found;
    for (const VLCredentials& login : decoded.value_or(std::vector<VLCredentials>{})) {
        EXPECT_EQ(login.url(), Url::parse(url));
        found.emplace_back(login.username().value_or(""), login.password().value_or(""));
    }
    std::ranges::sort(found);
    return found;
}

CallResult post(GDBusConnection* c, const VariantRef& record) {
    GVariant* fields[] = {record.get()};
    return helperCall(c, "postNotification", g_variant_new_tuple(fields, 1));
}
CallResult post(GDBusConnection* c, const VLNotificationInfo& info) {
    return post(c, RecordCoding::encode(info));
}
CallResult post(GDBusConnection* c, const char* recordText) {
    return post(c, VariantRef::adopt(g_variant_parse(G_VARIANT_TYPE_VARDICT, recordText, nullptr,
                                                     nullptr, nullptr)));
}

bool closeRequested(const FakeNotificationServer& server, std::uint32_t id) {
    return std::ranges::count(server.closeRequests(), id) > 0;
}
}  // namespace

TEST(HelperService, RefusesOrAnswersNoToHostileArguments) {
    PrivateBus bus;
    KeyringDaemon keyring(bus);
    HelperProcess helper(bus);
    ShellStub shell(bus);
    GDBusConnection* c = shell.connection();
    const std::string site = "https://site.example/";
    ASSERT_EQ(store(c, "saveCredentials", "kept", "alice", site), true);

    // Wrong D-Bus types are refused by the bus layer before the helper sees them.
    for (auto [method, parameters, error] :
         std::vector<std::tuple<const char*, GVariant*, std::string>>{
             {"saveCredentials", g_variant_new("(sss)", "p", "u", site.c_str()), kInvalidArgs},
             {"credentialsSavedFor", g_variant_new("(s)", site.c_str()), kInvalidArgs},
             {"passwordFor", g_variant_new("(i(s))", 7, site.c_str()), kInvalidArgs},
             {"postNotification", g_variant_new("(s)", "hi"), kInvalidArgs},
             {"deleteCredentials", g_variant_new("()"),
              "org.freedesktop.DBus.Error.UnknownMethod"}}) {
        EXPECT_EQ(helperCall(c, method, parameters).errorName, error) << method;
    }
    // A login where a button belongs refuses the whole notification (each kind of misshapen
    // record is checked in the unit tests); a number as identifier leaves none: not shown.
    CallResult loginAsButton = post(
        c, "{'identifier': <'n'>, 'actions': <[{'username': <'alice'>, 'password': <'pw'>}]>}");
    EXPECT_EQ(loginAsButton.errorName, kInvalidArgs);
    EXPECT_NE(loginAsButton.errorMessage.find("not a VLNotificationActionInfo"), std::string::npos)
        << loginAsButton.errorMessage;
    EXPECT_EQ(boolReply(post(c, "{'identifier': <42>, 'title': <'T'>}")), false);

    // Huge strings in any argument: NO, an absent password; nothing partial is stored.
    const std::string huge(100 * 1024, 'x');
    EXPECT_EQ(store(c, "saveCredentials", huge, "alice", site), false);
    EXPECT_EQ(store(c, "saveCredentials", "pw", huge, site), false);
    EXPECT_EQ(store(c, "updateCredentials", huge, "alice", site), false);
    EXPECT_EQ(password(c, huge, site), kAbsent);
    EXPECT_EQ(store(c, "saveCredentials", "pw", "mallory", site + std::string(3 << 20, 'p')), true)
        << "no URL: nothing to store";
    EXPECT_EQ(logins(c, site), (Logins{{"alice", "kept"}}));

    // Still serving (nothing on this bus would start it again).
    EXPECT_EQ(store(c, "saveCredentials", "after", "bob", site), true);
    EXPECT_GE(helper.countLines("postNotification refused"), 1);
    EXPECT_GE(helper.countLines("over the limit"), 3);
}

TEST(HelperService, WithoutSecretServiceOrNotificationServer) {
    PrivateBus bus;
    HelperProcess helper(bus);
    ShellStub shell(bus);
    GDBusConnection* c = shell.connection();
    const std::string site = "https://site.example/";
    EXPECT_EQ(store(c, "saveCredentials", "pw", "alice", site), false);
    EXPECT_EQ(store(c, "updateCredentials", "pw", "alice", site), false);
    EXPECT_EQ(password(c, "alice", site), kAbsent);
    EXPECT_TRUE(logins(c, site).empty());
    // Without a site nothing needs the keyring.
    EXPECT_EQ(store(c, "saveCredentials", "pw", "alice", "about:blank"), true);
    EXPECT_EQ(helper.countLines("no Secret Service on the session bus"), 1) << helper.log();

    // Posting still answers YES.
    EXPECT_EQ(boolReply(post(c, notification("a"))), true);
    EXPECT_EQ(boolReply(post(c, notification("b", {action("x", "X")}))), true);
    EXPECT_EQ(helper.countLines("notifications cannot be shown"), 1) << helper.log();
}

TEST(HelperService, NotificationsShowButtonsAndClicksReachThePostingShell) {
    PrivateBus bus;
    FakeNotificationServer server(bus);
    HelperProcess helper(bus);
    ShellStub shell(bus);
    GDBusConnection* c = shell.connection();
    using Actions = std::vector<std::string>;

    // One action: "Close" and the action's title; the body is subtitle and message.
    EXPECT_EQ(boolReply(post(c, notification("n1", {action("reply", "Reply")}))), true);
    ASSERT_TRUE(server.waitForNotifications(1));
    const auto& first = server.notifications()[0];
    EXPECT_EQ(first.appName, "CorvaHelper");
    EXPECT_EQ(first.summary, "New mail");
    EXPECT_EQ(first.body, "mail.example\nHello & welcome");
    EXPECT_EQ(first.actions, (Actions{"default", "Open", "close", "Close", "action", "Reply"}));
    server.invokeAction(first.id, "action", "token-1");
    ASSERT_TRUE(shell.waitForActions(1));
    EXPECT_EQ(shell.actions()[0], (ShellStub::Action{"reply", "n1", "token-1"}))
        << "the server's activation token goes back with the click";
    EXPECT_TRUE(waitUntil([&] { return closeRequested(server, first.id); }))
        << "taken off the screen after the click";

    // Three actions, one button each by position; the second sends its own identifier.
    post(c, notification("n3", {action("a", "A"), action("b", "B"), action("c", "C")}));
    ASSERT_TRUE(server.waitForNotifications(2));
    EXPECT_EQ(server.notifications()[1].actions,
              (Actions{"default", "Open", "close", "Close", "0", "A", "1", "B", "2", "C"}));
    server.invokeAction(server.notifications()[1].id, "1");
    ASSERT_TRUE(shell.waitForActions(2));
    EXPECT_EQ(shell.actions()[1], (ShellStub::Action{"b", "n3", ""}));

    // "Close", and a dismissal by the server, tell the shell nothing; a click on the body of
    // the next one arrives with no action.
    post(c, notification("closed", {action("a", "A")}));
    post(c, notification("dismissed"));
    post(c, notification("body", {action("a", "A")}));
    ASSERT_TRUE(server.waitForNotifications(5));
    server.invokeAction(server.notifications()[2].id, "close");
    server.close(server.notifications()[3].id, 2);
    server.invokeAction(server.notifications()[3].id, "default");  // after its close: ignored
    server.invokeAction(server.notifications()[4].id, "default");
    ASSERT_TRUE(shell.waitForActions(3));
    EXPECT_EQ(shell.actions()[2], (ShellStub::Action{std::nullopt, "body", ""}));

    // Posting an identifier again replaces the shown notification: the old one is closed and
    // its buttons no longer count.
    post(c, notification("again", {action("old", "Old")}));
    post(c, notification("again", {action("new", "New")}));
    ASSERT_TRUE(server.waitForNotifications(7));
    std::uint32_t replaced = server.notifications()[5].id;
    EXPECT_TRUE(waitUntil([&] { return closeRequested(server, replaced); }));
    server.invokeAction(replaced, "action");
    server.invokeAction(server.notifications()[6].id, "action");
    ASSERT_TRUE(shell.waitForActions(4));
    EXPECT_EQ(shell.actions()[3], (ShellStub::Action{"new", "again", ""}));
    drainMainContext();
    EXPECT_EQ(shell.actions().size(), 4u);
}

TEST(HelperService, PageTextIsNotMarkupOnServersThatReadMarkup) {
    PrivateBus bus;
    FakeNotificationServer server(bus, true);
    HelperProcess helper(bus);
    ShellStub shell(bus);
    VLNotificationInfo info = notification("m");
    info.setMessage("<a href='https://evil.example/'>win</a> & <b>bold</b>");
    EXPECT_EQ(boolReply(post(shell.connection(), info)), true);
    ASSERT_TRUE(server.waitForNotifications(1));
    EXPECT_EQ(server.notifications()[0].body,
              "mail.example\n&lt;a href=&apos;https://evil.example/&apos;&gt;win&lt;/a&gt; &amp; "
              "&lt;b&gt;bold&lt;/b&gt;");
}
