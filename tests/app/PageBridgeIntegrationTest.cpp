// Pages, the shell and the real CorvaHelper together: notifications on a fake notification
// server, logins in gnome-keyring, the unread badge; all on a private session bus.
#include <gtest/gtest.h>
#include <gtkmm/messagedialog.h>

#include <cstdlib>
#include <filesystem>

#include "AppHost.h"
#include "BusFixtures.h"
#include "LogCapture.h"
#include "TestHome.h"
#include "XInput.h"
#include "autofill/VLServiceManager.h"
#include "autofill_ui/VLAutoFillHandler.h"
#include "browser/VLScriptManager.h"
#include "foundation/Bundle.h"
#include "maintenance_ui/DockTile.h"
#include "stores/VLSettingsManager.h"

namespace {
// A private bus that starts the built helper for the test bundle, and a notification server.
struct Desktop {
    // The private bus unsets DISPLAY; the web processes need it back.
    std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    PrivateBus bus{{TestHome::dataHome() + "/dbus-1/services"}};
    FakeNotificationServer notifications{bus};

    Desktop() {
        setenv("DISPLAY", display.c_str(), 1);
        std::filesystem::create_directories(TestHome::bundlePath() + "/Contents/MacOS");
        std::filesystem::create_symlink(HelperProcess::builtHelperPath(),
                                        TestHome::bundlePath() + "/Contents/MacOS/CorvaHelper");
        VLSettingsManager::sharedManager().setEnableJavaScript(true);
    }
};

VLWebViewController& page() {
    return *AppHost::windows().front()->tabController().selectedWebViewController();
}

nlohmann::json evaluate(const std::string& script) {
    return evaluateIn(page(), script);
}

// Waits for this load's own commit: the page being left (still loading, or of the same title)
// must not pass for the new one.
bool open(const std::string& url, const std::string& title) {
    struct Load {
        std::string url;
        bool committed = false;
    } load{url};
    WebKitWebView* view = page().webview().webView();
    const gulong handler = g_signal_connect(
        view, "load-changed",
        G_CALLBACK(+[](WebKitWebView* view, WebKitLoadEvent event, Load* load) {
            if (event == WEBKIT_LOAD_COMMITTED && load->url == webkit_web_view_get_uri(view)) {
                load->committed = true;
            }
        }),
        &load);
    page().loadRequest(url);
    const bool opened =
        waitUntil([&] { return load.committed && page().webview().title() == title; }, 20000);
    g_signal_handler_disconnect(view, handler);
    return opened;
}

void answer(Gtk::MessageDialog* dialog, int button) {
    static_cast<Gtk::Button*>(dialog->get_widget_for_response(button))->clicked();
}
}  // namespace

TEST(PageBridgeIT, NotificationsReachTheDesktopAndAClickComesBack) {
    Desktop desktop;
    servePage("/chat",
              "<script>var n = new Notification('Hello', {body: 'World', actions:"
              " [{action: 'reply', title: 'Reply'}]});"
              " n.onclick = function () { document.title = 'clicked'; };</script>",
              "Chat");
    std::vector<std::string> tokens;
    AppDelegate::setWindowPresenter(
        [&](VLMainWindowController&, const std::string& token) { tokens.push_back(token); });
    AppHost host;
    ASSERT_TRUE(open("http://chat.test/chat", "Chat"));
    ASSERT_TRUE(desktop.notifications.waitForNotifications(1));
    const auto& shown = desktop.notifications.notifications()[0];
    EXPECT_EQ(shown.summary, "Hello");
    EXPECT_EQ(shown.body, "chat.test\nWorld") << "the page's host as subtitle";
    EXPECT_NE(std::find(shown.actions.begin(), shown.actions.end(), "Reply"), shown.actions.end());

    desktop.notifications.invokeAction(shown.id, "default", "token-7");
    ASSERT_TRUE(waitUntil([&] { return page().webview().title() == "clicked"; }))
        << "the page's onclick ran";
    EXPECT_EQ(tokens, std::vector<std::string>{"token-7"});

    // A hostile page: malformed messages are dropped, a flood is throttled.
    LogCapture log;
    evaluate(
        "var h = window.webkit.messageHandlers.notifications;"
        "h.postMessage('x'); h.postMessage([1, 2]); h.postMessage([[{}]]);"
        "for (var i = 0; i < 50; i++) { new Notification('flood ' + i); } 0");
    ASSERT_TRUE(waitUntil([&] { return log.contains("too fast"); }));
    evaluate("0");
    drainMainContext();
    EXPECT_LE(desktop.notifications.notifications().size(), 1u + 5u);
    // The page reaches neither the autofill channel nor the fill function.
    EXPECT_EQ(evaluate("typeof window.webkit.messageHandlers.autoFill"), "undefined");
    EXPECT_EQ(evaluate("typeof (window.vlAPIHelper && vlAPIHelper.autoFill)"), "undefined");
    AppDelegate::setWindowPresenter(nullptr);
}

TEST(PageBridgeIT, LoginsAreOfferedSavedFilledAndUpdated) {
    Desktop desktop;
    KeyringDaemon keyring(desktop.bus);
    servePage("/login",
              "<form action='/in' method='post'><input id=u type=text>"
              "<input id=p type=password><button id=go>go</button></form>",
              "Login");
    servePage("/in", "in", "Welcome");
    AppHost host;
    auto type = [](const std::string& id, const std::string& text) {
        evaluate("var f = document.getElementById('" + id + "'); f.value = " +
                 nlohmann::json(text).dump() + "; f.dispatchEvent(new Event('input')); 0");
    };
    auto formReported = [] {
        return waitUntil([] { return VLAutoFillHandler::shared().loginData(page().webview()); });
    };
    ASSERT_TRUE(open("http://login.test/login", "Login"));
    ASSERT_TRUE(formReported());
    type("u", "ann");
    type("p", "it's \"new\"\\\u2028</script>");
    evaluate("document.getElementById('go').click(); 0");
    ASSERT_TRUE(waitUntil([] { return shownDialog() != nullptr; }));
    EXPECT_EQ(shownDialog()->property_text().get_value(), "Would you like to save this password?");
    answer(shownDialog(), 0);
    std::vector<VLCredentials> saved;
    ASSERT_TRUE(waitUntil([&] {
        VLServiceManager::sharedManager().credentialsSavedFor(
            Url::parse("http://login.test/login"),
            [&](const std::vector<VLCredentials>& list) { saved = list; });
        return waitUntil([&] { return !saved.empty(); }, 500);
    }));
    EXPECT_EQ(saved[0].username(), "ann");

    // The next visit fills it in, the hostile text arriving as typed.
    ASSERT_TRUE(open("http://login.test/login", "Login"));
    ASSERT_TRUE(waitUntil([] { return evaluate("document.getElementById('u').value") == "ann"; }));
    EXPECT_EQ(evaluate("document.getElementById('p').value"), "it's \"new\"\\\u2028</script>");

    // A changed password offers an update when the user leaves; "Not Now" keeps the saved one.
    type("p", "changed");
    evaluate("document.getElementById('go').click(); 0");
    ASSERT_TRUE(waitUntil([] { return shownDialog() != nullptr; }));
    EXPECT_EQ(shownDialog()->property_text().get_value(),
              "Do you want to update the password saved in your keyring for \"ann\" on "
              "\"login.test\"");
    answer(shownDialog(), 1);
    ASSERT_TRUE(
        waitUntil([] { return !VLAutoFillHandler::shared().isOngoingPasswordSaveRequest(); }));
    std::optional<std::string> password;
    bool answered = false;
    VLServiceManager::sharedManager().passwordFor("ann", Url::parse("http://login.test/login"),
                                                  [&](const std::optional<std::string>& value) {
                                                      password = value;
                                                      answered = true;
                                                  });
    ASSERT_TRUE(waitUntil([&] { return answered; }));
    EXPECT_EQ(password, "it's \"new\"\\\u2028</script>");
}

TEST(PageBridgeIT, TheLoginMenuNarrowsAndFollowsTheKeys) {
    Desktop desktop;
    KeyringDaemon keyring(desktop.bus);
    servePage("/login",
              "<form><input id=u type=text style='width:200px'>"
              "<input id=p type=password></form>",
              "Login");
    int stored = 0;
    for (const char* name : {"ann", "anna", "bob"}) {
        VLServiceManager::sharedManager().saveCredentials(
            std::string("pw-") + name, std::string(name), Url::parse("http://login.test/"),
            [&](bool) { ++stored; });
    }
    ASSERT_TRUE(waitUntil([&] { return stored == 3; }));
    AppHost host;
    ASSERT_TRUE(open("http://login.test/login", "Login"));
    VLAutoFillHandler& handler = VLAutoFillHandler::shared();
    ASSERT_TRUE(waitUntil([] { return evaluate("document.getElementById('u').value") != ""; }))
        << "the first saved login is filled in";
    EXPECT_FALSE(handler.isAutoFillMenuVisible()) << "a fill is no typing";
    evaluate(
        "var u = document.getElementById('u'); u.value = '';"
        " u.dispatchEvent(new Event('input')); 0");
    ASSERT_TRUE(waitUntil([&] {
        return handler.isAutoFillMenuVisible() && handler.menu().model().items().size() == 3;
    }));

    // The page's keys move the highlight and choose (real keys, the field focused).
    nlohmann::json box = evaluate("var r = u.getBoundingClientRect(); [r.left + 5, r.top + 5]");
    XInput::click(page().webview().widget(), box[0].get<int>(), box[1].get<int>(), 1);
    ASSERT_TRUE(waitUntil([&] { return handler.isAutoFillMenuVisible(); }));
    XInput::key("Down");
    XInput::key("Down");
    ASSERT_TRUE(waitUntil([&] { return handler.menu().model().selectedRow() == 1; }));
    const std::string chosen =
        *std::get<VLCredentials>(handler.menu().model().items()[1]).username();
    XInput::key("Return");
    ASSERT_TRUE(
        waitUntil([&] { return evaluate("document.getElementById('u').value") == chosen; }));
    EXPECT_EQ(evaluate("document.getElementById('p').value"), "pw-" + chosen);
    EXPECT_FALSE(handler.isAutoFillMenuVisible());

    // Escape closes it; typing something no login begins with closes it too.
    evaluate("u.value = ''; u.dispatchEvent(new Event('input')); 0");
    ASSERT_TRUE(waitUntil([&] { return handler.isAutoFillMenuVisible(); }));
    XInput::key("Escape");
    ASSERT_TRUE(waitUntil([&] { return !handler.isAutoFillMenuVisible(); }));
    evaluate("u.value = ''; u.dispatchEvent(new Event('input')); 0");
    ASSERT_TRUE(waitUntil([&] { return handler.isAutoFillMenuVisible(); }));
    evaluate("u.value = 'zed'; u.dispatchEvent(new Event('input')); 0");
    EXPECT_TRUE(waitUntil([&] { return !handler.isAutoFillMenuVisible(); }));
}

TEST(PageBridgeIT, TheBadgeFollowsTheUnreadCount) {
    Desktop desktop;
    PageHost::server().handle("/mail", [](const LocalHttpServer::Request& request) {
        const int rows = request.query == "n=3" ? 3 : 2;
        std::string body;
        for (int i = 0; i < rows; ++i) {
            body += "<div class='zA zE'><span class='afn'>unread, Sender" + std::to_string(i) +
                    ", Subject, 10:0" + std::to_string(i) + ", Text</span></div>";
        }
        return LocalHttpServer::Response{200, "text/html", {}, "<title>Mail</title>" + body,
                                         {},  {}};
    });
    servePage("/inbox", "x", "(5) Inbox");
    AppHost host;
    VLScriptManager& poller = *host.app.scriptManager();
    poller.setHosts({"mail.test", {"social.test"}});
    ASSERT_TRUE(open("http://mail.test/mail", "Mail"));
    poller.injectScripts();
    ASSERT_TRUE(waitUntil([] { return DockTile::shared().badge() == "2"; }));
    ASSERT_TRUE(desktop.notifications.waitForNotifications(2));
    EXPECT_EQ(desktop.notifications.notifications()[0].summary, " Sender0");
    EXPECT_EQ(page().dockLabel(), "2");
    ASSERT_TRUE(open("http://mail.test/mail?n=3", "Mail"));
    poller.injectScripts();
    ASSERT_TRUE(waitUntil([] { return DockTile::shared().badge() == "3"; }));
    ASSERT_TRUE(desktop.notifications.waitForNotifications(3));

    // Any other site: the count in its title, without notifications.
    ASSERT_TRUE(open("http://other.test/inbox", "(5) Inbox"));
    poller.injectScripts();
    ASSERT_TRUE(waitUntil([] { return DockTile::shared().badge() == "5"; }));
    drainMainContext();
    EXPECT_EQ(desktop.notifications.notifications().size(), 3u);
}
