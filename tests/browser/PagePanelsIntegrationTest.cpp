// What a page asks of the app in the user's name: new windows and sign-in pop-ups, closing,
// authentication, certificates, script dialogs and zoom.
#include <gtest/gtest.h>
#include <gtkmm/entry.h>

#include "BrowserTestSupport.h"
#include "browser/VLAuthenticationSheet.h"
#include "browser/VLPopupWindow.h"
#include "stores/VLSettingsManager.h"
#include "stores/VLWebPageZoomManager.h"

namespace {
bool titleIs(PageHost& host, const std::string& title) {
    return waitUntil([&] { return host.page().webview().title() == title; }, 20000);
}

}  // namespace

TEST(PagePanelsIT, WindowOpenMakesPagesAndSignInPopUpsStayWithTheirOpener) {
    servePage("/app",
              "<button id=signin onclick=\"window.open('http://idp.test/login', 'signin',"
              " 'width=400,height=500')\">sign in</button>"
              "<script>addEventListener('message', function (e) {"
              " document.title = 'signed in: ' + e.data; });</script>");
    servePage("/child", "c");
    servePage("/login",
              "<form method=post action='/auth'><input name=user value=ann></form>"
              "<script>document.forms[0].submit();</script>");
    PageHost::server().handle("/auth", [](const LocalHttpServer::Request& request) {
        return LocalHttpServer::Response{
            302, "text/plain", {{"Location", request.body == "user=ann" ? "/done" : "/login"}},
            "",  {},           {}};
    });
    servePage("/done",
              "<script>window.opener.postMessage('token-1', '*'); window.close();</script>");
    allowOnly({"*app.test*"});
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
    clickElement(host, "signin");
    ASSERT_TRUE(waitUntil([] { return VLPopupWindow::openWindows().size() == 1; }));
    ASSERT_TRUE(titleIs(host, "signed in: token-1"));
    EXPECT_TRUE(waitUntil([] { return VLPopupWindow::openWindows().empty(); }));
    EXPECT_TRUE(PageHost::workspace().opened.empty()) << "nothing went to the default browser";
    EXPECT_EQ(host.delegate.newPages.size(), 1u);
}

TEST(PagePanelsIT, APageClosingItselfUnloadsAndBasicAuthenticationAsks) {
    servePage("/closing", "<script>setTimeout(function () { window.close(); }, 0);</script>",
              "Bye");
    PageHost::server().handle("/secret", [](const LocalHttpServer::Request& request) {
        LocalHttpServer::Response response{200, "text/html", {}, "<title>Secret</title>", {}, {}};
        // Anyone but "ann:pw" (in base64) is refused.
        if (request.header("Authorization") != std::optional<std::string>("Basic YW5uOnB3")) {
            response.status = 401;
            response.headers = {{"WWW-Authenticate", "Basic realm=\"test\""}};
            response.body = "<title>Refused</title>";
        }
        return response;
    });
    VLSettingsManager::sharedManager().setEnableJavaScript(true);
    PageHost host;
    ASSERT_TRUE(host.load("http://site.test/closing"));
    ASSERT_TRUE(waitUntil([&] { return host.page().webview().url() == "about:blank"; }))
        << "the page unloaded itself";
    EXPECT_EQ(host.delegate.closeRequests, 0) << "the window and its tab stay";
    EXPECT_TRUE(host.window.get_visible());

    // Cancelled: the server's refusal shows. Logged in: the page.
    servePage("/stay", "s");
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
    servePage("/dialogs",
              "<button id=go onclick=\"alert('hello'); var c = confirm('sure?');"
              " var p = prompt('name?', 'ann'); document.title = c + ':' + p;\">go</button>");
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
    answer("name?", 0);
    EXPECT_TRUE(titleIs(host, "true:ann")) << "OK keeps the default text";
}

TEST(PagePanelsIT, ZoomStopsAtItsLimitsAndIsKeptForEveryPage) {
    servePage("/text", "t");
    PageHost host;
    ASSERT_TRUE(host.load("http://site.test/text"));
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
