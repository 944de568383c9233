// What a page asks of the app in the user's name: new windows and sign-in pop-ups, closing,
// authentication, certificates, script dialogs, find and zoom.
#include <gtest/gtest.h>
#include <gtkmm/button.h>
#include <gtkmm/entry.h>
#include <gtkmm/messagedialog.h>

#include "BrowserTestSupport.h"
#include "XInput.h"
#include "browser/VLAuthenticationSheet.h"
#include "browser/VLPopupWindow.h"
#include "browser/ZoomSteps.h"
#include "rules/VLWhiteListManager.h"
#include "stores/VLSettingsManager.h"
#include "stores/VLWebPageZoomManager.h"

namespace {
LocalHttpServer::Response html(const std::string& body, const std::string& title = "T") {
    LocalHttpServer::Response response;
    response.contentType = "text/html";
    response.body = "<!doctype html><html><head><title>" + title + "</title></head><body>" + body +
                    "</body></html>";
    return response;
}

void allowOnly(const std::string& pattern) {
    VLWhiteListManager& whitelist = VLWhiteListManager::sharedManager();
    whitelist.setAllowAll(false);
    whitelist.setAllowPatterns(true);
    whitelist.removeAllPatterns();
    whitelist.addPattern(pattern);
}

Gtk::MessageDialog* shownDialog() {
    for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
        if (auto* dialog = dynamic_cast<Gtk::MessageDialog*>(window);
            dialog && dialog->get_visible()) {
            return dialog;
        }
    }
    return nullptr;
}

bool titleIs(PageHost& host, const std::string& title) {
    return waitUntil([&] { return host.page().webview().title() == title; }, 20000);
}

void clickOn(PageHost& host, const std::string& id) {
    nlohmann::json box = host.evaluate("(function(){var r = document.getElementById('" + id +
                                       "').getBoundingClientRect();"
                                       "return [r.left + r.width / 2, r.top + r.height / 2];})()");
    ASSERT_TRUE(box.is_array());
    XInput::click(host.page().webview().widget(), static_cast<int>(box[0].get<double>()),
                  static_cast<int>(box[1].get<double>()), 1);
}
}  // namespace

TEST(PagePanelsIT, WindowOpenMakesPagesAndSignInPopUpsStayWithTheirOpener) {
    PageHost::server().handle("/app", [](const LocalHttpServer::Request&) {
        return html(
            "<button id=signin onclick=\"window.open('http://idp.test/login', 'signin',"
            " 'width=400,height=500')\">sign in</button>"
            "<script>addEventListener('message', function (e) {"
            " document.title = 'signed in: ' + e.data; });</script>");
    });
    PageHost::server().handle("/child", [](const LocalHttpServer::Request&) { return html("c"); });
    PageHost::server().handle("/login", [](const LocalHttpServer::Request&) {
        return html(
            "<form method=post action='/auth'><input name=user value=ann></form>"
            "<script>document.forms[0].submit();</script>");
    });
    PageHost::server().handle("/auth", [](const LocalHttpServer::Request& request) {
        LocalHttpServer::Response response;
        response.status = 302;
        response.headers = {{"Location", request.body == "user=ann" ? "/done" : "/login"}};
        return response;
    });
    PageHost::server().handle("/done", [](const LocalHttpServer::Request&) {
        return html("<script>window.opener.postMessage('token-1', '*'); window.close();</script>");
    });
    allowOnly("*app.test*");
    VLSettingsManager::sharedManager().setEnableJavaScript(true);
    PageHost host;
    ASSERT_TRUE(host.load("http://app.test/app"));
    // A page of the app's own site opens as a page the tab controller places.
    VLSettingsManager::sharedManager().setBlockPopupWindow(false);
    host.evaluate("window.open('http://app.test/child'); 0");
    ASSERT_TRUE(waitUntil([&] { return host.delegate.newPages.size() == 1; }));
    EXPECT_TRUE(host.delegate.newPages[0]->isRecentNewTab());
    EXPECT_EQ(host.delegate.newPages[0]->customUserAgent(), host.page().customUserAgent());

    // A sign-in with another site stays in a pop-up, posts back and closes itself.
    clickOn(host, "signin");
    ASSERT_TRUE(waitUntil([] { return VLPopupWindow::openWindows().size() == 1; }));
    ASSERT_TRUE(titleIs(host, "signed in: token-1"));
    EXPECT_TRUE(waitUntil([] { return VLPopupWindow::openWindows().empty(); }));
    EXPECT_TRUE(PageHost::workspace().opened.empty()) << "nothing went to the default browser";
    EXPECT_EQ(host.delegate.newPages.size(), 1u);
}

TEST(PagePanelsIT, APageClosingItselfUnloadsAndBasicAuthenticationAsks) {
    PageHost::server().handle("/closing", [](const LocalHttpServer::Request&) {
        return html("<script>setTimeout(function () { window.close(); }, 0);</script>", "Bye");
    });
    PageHost::server().handle("/secret", [](const LocalHttpServer::Request& request) {
        // "ann:pw" in base64.
        if (request.header("Authorization") == std::optional<std::string>("Basic YW5uOnB3")) {
            return html("the secret", "Secret");
        }
        LocalHttpServer::Response refused = html("go away", "Refused");
        refused.status = 401;
        refused.headers = {{"WWW-Authenticate", "Basic realm=\"test\""}};
        return refused;
    });
    VLSettingsManager::sharedManager().setEnableJavaScript(true);
    PageHost host;
    ASSERT_TRUE(host.load("http://site.test/closing"));
    ASSERT_TRUE(waitUntil([&] { return host.page().webview().url() == "about:blank"; }))
        << "the page unloaded itself";
    EXPECT_EQ(host.delegate.closeRequests, 0) << "the window and its tab stay";
    EXPECT_TRUE(host.window.get_visible());

    // Cancelled: the server's refusal shows. Logged in: the page.
    PageHost::server().handle("/stay", [](const LocalHttpServer::Request&) { return html("s"); });
    ASSERT_TRUE(host.load("http://site.test/stay"));
    host.page().loadRequest("http://site.test/secret");
    ASSERT_TRUE(waitUntil([] { return VLAuthenticationSheet::shown() != nullptr; }));
    VLAuthenticationSheet* sheet = VLAuthenticationSheet::shown();
    EXPECT_EQ(sheet->dialog().property_text().get_value(), "Authentication Required");
    EXPECT_EQ(sheet->dialog().property_secondary_text().get_value(),
              "To view this page, you must login to this area on site.test");
    sheet->dialog().response(2);
    ASSERT_TRUE(titleIs(host, "Refused"));
    host.page().loadRequest("http://site.test/secret");
    ASSERT_TRUE(waitUntil([] { return VLAuthenticationSheet::shown() != nullptr; }));
    VLAuthenticationSheet::shown()->usernameField().set_text("ann");
    VLAuthenticationSheet::shown()->passwordField().set_text("pw");
    VLAuthenticationSheet::shown()->dialog().response(1);
    EXPECT_TRUE(titleIs(host, "Secret"));
}

TEST(PagePanelsIT, ACertificateWithErrorsAsksBeforeTheSiteLoads) {
    LocalHttpServer secure(true);
    secure.serve("/", "<title>Secure</title><img src='/pic.png'>", "text/html");
    PageHost host;
    host.page().loadRequest(secure.url("/"));
    ASSERT_TRUE(titleIs(host, "This connection to localhost is not private"));
    EXPECT_EQ(secure.requestCount("/"), 0u) << "nothing was sent over the doubtful connection";
    EXPECT_NE(host.evaluate("document.body.innerText").get<std::string>().find("self-signed"),
              std::string::npos);
    // Only the page's own link goes on: a made-up one does nothing.
    host.evaluate("location.hash = '#sitebox-continue-guess'; 0");
    host.evaluate("0");
    EXPECT_EQ(secure.requestCount("/"), 0u);
    host.evaluate("document.getElementById('continue').click(); 0");
    ASSERT_TRUE(titleIs(host, "Secure"));
    EXPECT_EQ(secure.requestCount("/"), 1u);
}

TEST(PagePanelsIT, ScriptDialogsAreAnswered) {
    PageHost::server().handle("/dialogs", [](const LocalHttpServer::Request&) {
        return html(
            "<button id=go onclick=\"alert('hello'); var c = confirm('sure?');"
            " var p = prompt('name?', 'ann'); document.title = c + ':' + p;\">go</button>");
    });
    VLSettingsManager::sharedManager().setEnableJavaScript(true);
    PageHost host;
    ASSERT_TRUE(host.load("http://site.test/dialogs"));
    host.evaluate("setTimeout(function () { document.getElementById('go').click(); }, 0); 0");
    auto answer = [](const std::string& text, int response) {
        ASSERT_TRUE(waitUntil([&] {
            Gtk::MessageDialog* dialog = shownDialog();
            return dialog && dialog->property_secondary_text().get_value() == text;
        }));
        EXPECT_EQ(shownDialog()->property_text().get_value(), "Corva");
        shownDialog()->response(response);
    };
    answer("hello", 0);
    answer("sure?", 0);
    ASSERT_TRUE(waitUntil([] {
        Gtk::MessageDialog* dialog = shownDialog();
        return dialog && dialog->property_secondary_text().get_value() == "name?";
    }));
    shownDialog()->response(0);
    EXPECT_TRUE(titleIs(host, "true:ann")) << "OK keeps the default text";
}

TEST(PagePanelsIT, FindStepsAndHostileTextAndZoomLimits) {
    PageHost::server().handle("/text", [](const LocalHttpServer::Request&) {
        return html("<p>apple, apple, apple</p><p>it's \"q\" \\ `tick` ${x}</p>");
    });
    PageHost host;
    ASSERT_TRUE(host.load("http://site.test/text"));
    VLFindBar& bar = host.page().searchBar();
    host.page().biginSearch();
    bar.searchField().set_text("apple");
    ASSERT_TRUE(waitUntil([&] { return bar.searchResult().get_text() == "3 match"; }));
    std::vector<long> order;
    for (int i = 0; i < 4; ++i) {
        bar.searchNextAction();
        order.push_back(bar.steps().index());
    }
    EXPECT_EQ(order, (std::vector<long>{0, 2, 1, 0}));
    for (const std::string& text : {std::string("it's \"q\" \\ `tick` ${x}"), std::string("a\rb"),
                                    std::string("\xe2\x80\xa8"), std::string("</script><b>")}) {
        long count = -1;
        host.page().webview().highlightAllOccurencesOfString(text, [&](long n) { count = n; });
        ASSERT_TRUE(waitUntil([&] { return count >= 0; }));
        EXPECT_EQ(count, text[0] == 'i' ? 1 : 0) << text;
    }

    // Six steps up from 1.0 and three down are the limits; the value is kept for every page.
    for (int i = 0; i < 8; ++i) {
        host.page().zoomIn();
    }
    EXPECT_NEAR(host.page().currentZoomFactor(), 2.985984, 1e-6);
    host.page().resetZoom();
    for (int i = 0; i < 5; ++i) {
        host.page().zoomOut();
    }
    EXPECT_NEAR(host.page().currentZoomFactor(), 1 / 1.728, 1e-6);
    EXPECT_NEAR(*VLWebPageZoomManager::sharedManager().zoomValue(), 1 / 1.728, 1e-6);
    PageHost other;
    EXPECT_DOUBLE_EQ(other.page().currentZoomFactor(), 1.0) << "until its next page";
    ASSERT_TRUE(other.load("http://site.test/text"));
    EXPECT_NEAR(other.page().currentZoomFactor(), 1 / 1.728, 1e-6);
}
