#include <gtest/gtest.h>
#include <gtkmm/button.h>

#include <algorithm>
#include <filesystem>

#include "BrowserTestSupport.h"
#include "FileGuards.h"
#include "LogCapture.h"
#include "TestHome.h"
#include "XInput.h"
#include "browser/SwipeGestureDevices.h"
#include "browser/VLScriptMessageHandler.h"
#include "browser/VLWebEngine.h"
#include "browser/VLWebManager.h"
#include "browser/WelcomePage.h"
#include "downloads/VLDownloadQueue.h"
#include "foundation/UserDefaults.h"
#include "rules/VLScriptsManager.h"
#include "stores/VLHistoryManager.h"
#include "stores/VLSettingsManager.h"

namespace {
void click(PageHost& host, const std::string& id) {
    host.evaluate("document.getElementById('" + id + "').click(); 0");
}

// Opens the page's context menu with a real right click and returns the names of the actions
// of the app's own items, after running the one named `activate` (if any).
std::vector<std::string> contextMenuAt(PageHost& host, const std::string& id,
                                       const std::string& activate = "") {
    struct Seen {
        std::vector<std::string> actions;
        std::string activate;
        bool shown = false;
    } seen{{}, activate};
    gulong handler = g_signal_connect(
        host.page().webview().webView(), "context-menu",
        G_CALLBACK(+[](WebKitWebView*, WebKitContextMenu* menu, GdkEvent*, WebKitHitTestResult*,
                       gpointer data) -> gboolean {
            auto* seen = static_cast<Seen*>(data);
            for (GList* node = webkit_context_menu_get_items(menu); node; node = node->next) {
                GAction* action =
                    webkit_context_menu_item_get_gaction(WEBKIT_CONTEXT_MENU_ITEM(node->data));
                if (!action) {
                    continue;
                }
                seen->actions.push_back(g_action_get_name(action));
                if (seen->actions.back() == seen->activate) {
                    g_action_activate(action, nullptr);
                }
            }
            seen->shown = true;
            return TRUE;  // no popup in tests
        }),
        &seen);
    clickElement(host, id, 3);
    waitUntil([&] { return seen.shown; }, 10000);
    g_signal_handler_disconnect(host.page().webview().webView(), handler);
    return seen.actions;
}

// Whether the engine's disk cache holds anything, asked after every message sent to the network
// process before (it answers in order).
bool diskCacheEmpty() {
    using Answer = std::optional<bool>;
    auto answer = std::make_shared<Answer>();
    webkit_website_data_manager_fetch(
        VLWebEngine::shared().dataManager(), WEBKIT_WEBSITE_DATA_DISK_CACHE, nullptr,
        +[](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<std::shared_ptr<Answer>> out(
                static_cast<std::shared_ptr<Answer>*>(data));
            GList* records = webkit_website_data_manager_fetch_finish(
                WEBKIT_WEBSITE_DATA_MANAGER(source), result, nullptr);
            **out = records == nullptr;
            g_list_free_full(records, reinterpret_cast<GDestroyNotify>(webkit_website_data_unref));
        },
        new std::shared_ptr<Answer>(answer));
    waitUntil([&] { return answer->has_value(); });
    return answer->value_or(true);
}
}  // namespace

TEST(PageControllerIT, RefusedClicksGoToTheDefaultBrowserAndNeverReachTheOtherHost) {
    servePage("/start",
              "<p><a id=out href='http://elsewhere.test/page?once=1'>out</a></p>"
              "<p><a id=blank target=_blank href='http://elsewhere.test/blank'>blank</a></p>"
              "<form method=post action='http://elsewhere.test/form'><input name=q value=s>"
              "<button id=send>send</button></form>"
              "<a id=in href='http://allowed.test/next'>in</a>");
    servePage("/next", "n");
    serveRedirect("/go", "http://redirected.test/r");
    allowOnly({"*allowed.test*"});
    PageHost host;
    ASSERT_TRUE(host.load("http://allowed.test/start"));
    auto& opened = PageHost::workspace().opened;
    std::vector<std::string> urls;
    for (const char* id : {"out", "blank", "send"}) {
        clickElement(host, id, 1);
        ASSERT_TRUE(waitUntil([&] { return opened.size() == 1; })) << id;
        EXPECT_FALSE(opened[0].inBackground) << id;
        urls.push_back(opened[0].url);
        opened.clear();
    }
    EXPECT_EQ(urls, (std::vector<std::string>{"http://elsewhere.test/page?once=1",
                                              "http://elsewhere.test/blank",
                                              "http://elsewhere.test/form"}));
    host.evaluate("0");  // a round trip through the web process: any request would be out now
    EXPECT_EQ(requestsTo("elsewhere.test"), 0u) << "nothing left the app for that host";
    EXPECT_TRUE(host.delegate.newPages.empty());
    EXPECT_EQ(host.page().webview().url(), "http://allowed.test/start") << "the links stay out";
    EXPECT_EQ(host.delegate.closeRequests, 0) << "not a recent new tab";

    click(host, "in");
    ASSERT_TRUE(host.waitForLoad("/next"));
    EXPECT_TRUE(opened.empty()) << "an allowed link stays";

    // A redirect is judged at its response; the address goes back to the page that stays.
    host.page().loadRequest("http://allowed.test/go");
    ASSERT_TRUE(waitUntil([&] { return opened.size() == 1; }));
    ASSERT_TRUE(waitUntil([&] { return !host.delegate.kept.empty(); }));
    EXPECT_EQ(host.delegate.kept.back(), "http://allowed.test/next");
}

TEST(PageControllerIT, RedirectIsJudgedByWhereItStartedWithinTheRootDomain) {
    serveRedirect("/go", "http://b.x.test/landing");
    servePage("/landing", "<a id=again href='http://b.x.test/other'>again</a>");
    allowOnly({"*a.x.test*"});
    PageHost host;
    ASSERT_TRUE(host.load("http://a.x.test/go"));
    EXPECT_EQ(host.page().webview().url(), "http://b.x.test/landing");
    EXPECT_TRUE(PageHost::workspace().opened.empty());

    // A link clicked on the loaded page is judged by its own address.
    click(host, "again");
    ASSERT_TRUE(waitUntil([] { return !PageHost::workspace().opened.empty(); }));
    EXPECT_EQ(PageHost::workspace().opened.back().url, "http://b.x.test/other");
}

TEST(PageControllerIT, CtrlClickMakesANewPageAndSubframesLoadAnywhere) {
    servePage("/frames",
              "<iframe src='http://framed.test/inner'></iframe>"
              "<a id=link href='http://site.test/linked'>l</a>");
    servePage("/inner", "in");
    servePage("/linked", "linked");
    allowOnly({"*site.test*"});
    PageHost host;
    ASSERT_TRUE(host.load("http://site.test/frames"));
    EXPECT_TRUE(waitUntil([] { return requestsTo("framed.test") > 0; }));
    EXPECT_TRUE(PageHost::workspace().opened.empty()) << "a subframe is never judged";

    clickElement(host, "link", 1, /*ctrl=*/true);
    ASSERT_TRUE(waitUntil([&] { return !host.delegate.newPages.empty(); }));
    VLWebViewController& page = *host.delegate.newPages.back();
    EXPECT_TRUE(waitUntil([&] { return page.webview().url() == "http://site.test/linked"; }));
    EXPECT_EQ(host.page().webview().url(), "http://site.test/frames") << "the clicked page stays";
}

TEST(PageControllerIT, OtherSchemesAskBeforeGoingToTheirApplication) {
    PageHost::workspace().applications["mailto"] = {"Mail", "mail.desktop"};
    servePage("/contact",
              "<a id=mail href='mailto:someone@example.com'>mail</a>"
              "<a id=none href='nohandler:thing'>none</a>");
    PageHost host;
    ASSERT_TRUE(host.load("http://site.test/contact"));
    // A scheme no application handles leaves the page as it was, without an error page.
    ASSERT_TRUE(waitUntil([&] { return host.page().webview().title() == "T"; }));
    LogCapture log;
    click(host, "none");
    ASSERT_TRUE(waitUntil([&] { return log.contains("no application opens"); }));
    EXPECT_TRUE(
        waitUntil([&] { return !webkit_web_view_is_loading(host.page().webview().webView()); }));
    EXPECT_EQ(host.page().webview().url(), "http://site.test/contact");
    EXPECT_EQ(host.page().webview().title(), "T");

    // A page cannot stack questions.
    click(host, "mail");
    ASSERT_TRUE(waitUntil([&] { return shownDialogs().size() == 1; }));
    click(host, "mail");
    ASSERT_TRUE(waitUntil([&] { return log.contains("again while asked"); }));
    EXPECT_EQ(shownDialogs().size(), 1u);
    Gtk::MessageDialog* dialog = shownDialogs().front();
    EXPECT_EQ(dialog->property_text().get_value(), "Open Mail?");
    EXPECT_EQ(dialog->property_secondary_text().get_value(),
              "A website wants to open this application.");
    static_cast<Gtk::Button*>(dialog->get_widget_for_response(0))->clicked();
    ASSERT_TRUE(waitUntil([] { return !PageHost::workspace().openedWith.empty(); }));
    EXPECT_EQ(PageHost::workspace().openedWith.back(), "mailto:someone@example.com");
    EXPECT_EQ(host.page().webview().url(), "http://site.test/contact");
}

TEST(PageControllerIT, ResponsesAreSavedByDispositionTypeAndFlag) {
    const std::string folder = TestHome::path() + "/saved";
    std::filesystem::create_directories(folder);
    PageHost::savePanel().answerFolder = folder;
    serveFile("/report", "application/octet-stream", "a,b\n1,2\n", "report.csv");
    serveFile("/manual.pdf", "application/pdf", "%PDF-1.4 not really");
    servePage("/article", "<p>article text</p>");
    // Downloads go straight to the server: only the engine is routed through it.
    servePage("/host", "<iframe src='" + PageHost::server().url("/report") + "'></iframe>");
    PageHost host;
    ASSERT_TRUE(host.load("http://site.test/host"));
    ASSERT_TRUE(
        waitUntil([] { return std::filesystem::exists(TestHome::path() + "/saved/report.csv"); }));
    EXPECT_EQ(readFileBytes(folder + "/report.csv"), "a,b\n1,2\n");
    // The download (the second request) presents itself as the page does.
    int reports = 0;
    for (const auto& request : PageHost::server().requests()) {
        if (request.path == "/report") {
            ++reports;
            EXPECT_EQ(request.header("User-Agent"), host.page().customUserAgent());
        }
    }
    EXPECT_EQ(reports, 2);

    host.page().loadRequest(PageHost::server().url("/manual.pdf"));
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(folder + "/manual.pdf"); }));
    EXPECT_EQ(PageHost::savePanel().asked.back().name, "manual.pdf");
    EXPECT_EQ(PageHost::savePanel().asked.back().folder,
              VLSettingsManager::sharedManager().pathToDownloadsFolder());

    host.page().webview().setNeedToDownload(true);
    host.page().loadRequest(PageHost::server().url("/article"));
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(folder + "/article.html"); }));
    EXPECT_FALSE(host.page().webview().needToDownload()) << "the flag is spent";
    EXPECT_NE(readFileBytes(folder + "/article.html").find("article text"), std::string::npos);

    // Cancelling the dialog queues nothing.
    PageHost::savePanel().answerFolder.reset();
    size_t queued = VLWebManager::sharedManager().downloadQueue().operationsArray().size();
    host.page().loadRequest(PageHost::server().url("/manual.pdf"));
    ASSERT_TRUE(waitUntil([&] { return PageHost::savePanel().asked.size() == 4; }));
    drainMainContext();
    EXPECT_EQ(VLWebManager::sharedManager().downloadQueue().operationsArray().size(), queued);
}

TEST(PageControllerIT, AdBlockingHoldsTheFirstLoadAndBlocksAdHosts) {
    VLSettingsManager::sharedManager().setBlockAds(true);
    servePage("/ads",
              "<img src='http://doubleclick.net/banner.gif'>"
              "<img src='http://images.site.test/ok.gif'>");
    serveFile("/banner.gif", "image/gif", "GIF89a");
    serveFile("/ok.gif", "image/gif", "GIF89a");
    LogCapture log;
    PageHost first(std::string("http://site.test/ads"));
    // The first load waits for the rule list: the ad host is never reached, even once.
    ASSERT_TRUE(first.waitForLoad("/ads"));
    EXPECT_TRUE(first.page().abLoaded());
    EXPECT_TRUE(waitUntil([] { return requestsTo("images.site.test") > 0; }));
    EXPECT_EQ(requestsTo("doubleclick.net"), 0u);

    // A second page finds the compiled list.
    PageHost second(std::string("http://site.test/ads"));
    ASSERT_TRUE(second.waitForLoad("/ads"));
    EXPECT_EQ(log.count("compiled content blocking rules"), 1u);
    EXPECT_EQ(requestsTo("doubleclick.net"), 0u);
}

TEST(PageControllerIT, UserStyleAndScriptOnlyForMatchingPages) {
    VLStylesManager& styles = VLStylesManager::sharedManager();
    styles.addRule("Dark", 1);
    styles.addPattern("*match.test/styled*", "Dark", 1);
    styles.addScript(std::string("body {\n  background-color: rgb(1, 2, 3);\n}"), "Dark");
    VLScriptsManager& scripts = VLScriptsManager::sharedManager();
    scripts.addRule("Counter", 1);
    scripts.addPattern("*match.test/styled*", "Counter", 1);
    scripts.addScript(std::string("window.injectedCount = (window.injectedCount || 0) + 1;"),
                      "Counter");
    servePage("/styled", "s");
    servePage("/plain", "p");
    PageHost host;
    ASSERT_TRUE(host.load("http://match.test/styled"));
    EXPECT_TRUE(waitUntil([&] {
        return host.evaluate("getComputedStyle(document.body).backgroundColor") == "rgb(1, 2, 3)";
    }));
    EXPECT_EQ(host.evaluate("window.injectedCount"), 1);

    ASSERT_TRUE(host.load("http://match.test/plain"));
    EXPECT_NE(host.evaluate("getComputedStyle(document.body).backgroundColor"), "rgb(1, 2, 3)");
    EXPECT_TRUE(host.evaluate("window.injectedCount").is_null());
}

TEST(PageControllerIT, TypedTextBecomesASearchAndEventsReachTheTab) {
    PageHost::server().serve("/titled", "<title>Hello page</title>hi", "text/html");
    PageHost host;
    ASSERT_TRUE(host.load("http://site.test/titled"));
    EXPECT_TRUE(waitUntil([&] { return host.item.label() == "Hello page"; }));
    EXPECT_EQ(VLHistoryManager::sharedManager().getUrlByName("Hello page"),
              "http://site.test/titled");
    EXPECT_EQ(host.delegate.began.back(), "http://site.test/titled");
    ASSERT_GE(host.delegate.loadStatus.size(), 2u);
    EXPECT_FALSE(host.delegate.loadStatus.back());

    host.page().openUrl("two words");
    EXPECT_TRUE(waitUntil([&] {
        return !host.delegate.began.empty() &&
               host.delegate.began.back() == "https://search.brave.com/search?q=two%20words";
    }));
}

TEST(PageControllerIT, ContextMenuOpensLinksInNewTabsAndSavesImages) {
    servePage("/menu",
              "<p><a id=link href='http://site.test/target'>a link</a></p>"
              "<p><img id=pic width=80 height=60 src='" +
                  PageHost::server().url("/photo.png") +
                  "'></p><p><a id=wrapped href='http://site.test/page'><img width=80 "
                  "height=60 src='" +
                  PageHost::server().url("/inner.png") + "'></a></p>");
    const std::string png("\x89PNG\r\n\x1a\n", 8);
    serveFile("/photo.png", "image/png", png);
    serveFile("/inner.png", "image/png", png);
    std::vector<std::string> opened;
    auto observer = NotificationCenter::defaultCenter().addObserver(
        "Open Link In New Tab",
        [&](const Notification& n) { opened.push_back(n.info<std::string>("url").value_or("")); });
    PageHost host;
    ASSERT_TRUE(host.load("http://site.test/menu"));

    auto linkMenu = contextMenuAt(host, "link", "open-link-in-new-tab");
    EXPECT_NE(std::find(linkMenu.begin(), linkMenu.end(), "download-linked-file"), linkMenu.end());
    EXPECT_EQ(opened, std::vector<std::string>{"http://site.test/target"});

    contextMenuAt(host, "pic", "download-image");
    ASSERT_TRUE(waitUntil([] { return !PageHost::savePanel().asked.empty(); }));
    EXPECT_EQ(PageHost::savePanel().asked.back().name, "photo.png");

    // "Download Linked File" on a link around an image saves the image, and leaves no flag
    // behind for the next page.
    contextMenuAt(host, "wrapped", "download-linked-file");
    ASSERT_TRUE(waitUntil([] { return PageHost::savePanel().asked.size() == 2; }));
    EXPECT_EQ(PageHost::savePanel().asked.back().name, "inner.png");
    EXPECT_FALSE(host.page().webview().needToDownload());
    EXPECT_TRUE(host.delegate.newPages.empty());
}

TEST(PageControllerIT, RefreshTimerReloadsThePage) {
    servePage("/clock", "tick");
    VLSettingsManager::sharedManager().setRefreshTimeInterval(0.2);
    PageHost host;
    ASSERT_TRUE(host.load("http://site.test/clock"));
    EXPECT_TRUE(waitUntil([&] { return PageHost::server().requestCount("/clock") >= 3; }, 10000));

    VLSettingsManager::sharedManager().setRefreshTimeInterval(0);
    NotificationCenter::defaultCenter().post("RefreshTimeIntervalChangeNotification");
    EXPECT_FALSE(host.page().refreshTimerRunning());
}

// Every launch applies the stored user agent again: the cache, and with it every page, image and
// script the site had sent, goes only when the agent changes.
TEST(PageControllerIT, WebCacheGoesOnlyWhenTheUserAgentChanges) {
    PageHost::server().handle("/cached", [](const LocalHttpServer::Request&) {
        return LocalHttpServer::Response{
            200, "text/html", {{"Cache-Control", "max-age=3600"}}, "<title>C</title>", {}, {}};
    });
    PageHost host;
    host.page().agentClick("Safari-Mac");  // the first choice: nothing was cached before
    ASSERT_TRUE(host.load("http://site.test/cached"));
    ASSERT_TRUE(waitUntil([] { return !diskCacheEmpty(); }));
    NotificationCenter::defaultCenter().post("changeUserAnget", std::string("Safari-Mac"));
    EXPECT_FALSE(diskCacheEmpty());
    // A launch may apply the stored choice and then a configured agent: only the last counts.
    VLWebEngine::shared().holdCacheClearing();
    NotificationCenter::defaultCenter().post("changeUserAnget", std::string("iPhone"));
    NotificationCenter::defaultCenter().post("changeUserAnget", std::string("Safari-Mac"));
    VLWebEngine::shared().releaseCacheClearing();
    EXPECT_FALSE(diskCacheEmpty());
    NotificationCenter::defaultCenter().post("changeUserAnget", std::string("iPhone"));
    EXPECT_TRUE(waitUntil([] { return diskCacheEmpty(); }));
    EXPECT_EQ(UserDefaults::standard().stringForKey("CacheUserAgent"),
              VLWebManager::sharedManager().userAgent("iPhone"));
}

// The icon database opens only once the first page has been asked for: that page's icon is kept.
TEST(PageControllerIT, FirstPageIconIsKept) {
    PageHost::server().serve("/iconic", "<!doctype html><link rel=icon href=/i.png>", "text/html");
    serveFile("/i.png", "image/png", redPng());
    PageHost host;
    ASSERT_TRUE(host.load("http://site.test/iconic"));
    EXPECT_TRUE(waitUntil([] { return pageIconKnown("http://site.test/iconic"); }));
}

// Swipes come from touchpads and touchscreens only; while they are on, the engine keeps a picture
// of every page a tab went through. Xvfb's pointers are mice.
TEST(PageControllerIT, BackForwardSwipesOnlyWithADeviceThatCanSwipe) {
    using Devices = SwipeGestureDevices;
    EXPECT_TRUE(Devices::canSwipe({}));  // nothing known yet: as by default
    EXPECT_FALSE(Devices::canSwipe({GDK_SOURCE_MOUSE, GDK_SOURCE_PEN, GDK_SOURCE_TRACKPOINT}));
    EXPECT_TRUE(Devices::canSwipe({GDK_SOURCE_MOUSE, GDK_SOURCE_TOUCHPAD}));
    EXPECT_TRUE(Devices::canSwipe({GDK_SOURCE_TOUCHSCREEN}));

    PageHost host;
    EXPECT_FALSE(webkit_settings_get_enable_back_forward_navigation_gestures(
        host.page().webview().settings()));
    const size_t before = Devices::shared().pointers().size();
    const int seat = XInput::addSeat("Second Seat");
    ASSERT_GE(seat, 0);
    EXPECT_TRUE(waitUntil([&] { return Devices::shared().pointers().size() == before + 1; }));
    XInput::removeSeat(seat);
    EXPECT_TRUE(waitUntil([&] { return Devices::shared().pointers().size() == before; }));
    EXPECT_FALSE(Devices::shared().available());
}

TEST(PageControllerIT, FindInPageWithHostileTextAndThePageBridgeChannels) {
    servePage("/text",
              "<p>Apple pie, apple tart</p><p>and an APPLE.</p><script>var x='apple';</script>"
              "<p>it's \"q\" \\ `tick` ${x}</p>");
    std::vector<nlohmann::json> notifications;
    std::vector<WebKitWebView*> from;
    VLScriptMessageHandler::sharedHandler().setRoute(
        VLScriptMessageHandler::kNotificationsChannel,
        [&](const nlohmann::json& body, WebKitWebView* view) {
            notifications.push_back(body);
            from.push_back(view);
        });
    PageHost host;
    ASSERT_TRUE(host.load("http://site.test/text"));

    long count = -1;
    host.page().webview().highlightAllOccurencesOfString("apple", [&](long n) { count = n; });
    ASSERT_TRUE(waitUntil([&] { return count >= 0; }));
    EXPECT_EQ(count, 3) << "case-insensitive, script text not counted";
    EXPECT_EQ(host.evaluate("document.querySelectorAll('.wkWebview_Highlight').length"), 3);
    // The find bar over the same functions; done takes every highlight off again.
    VLFindBar& bar = host.page().searchBar();
    host.page().biginSearch();
    EXPECT_TRUE(bar.findTextMode());
    EXPECT_TRUE(bar.get_visible());
    bar.searchField().set_text("pear");
    ASSERT_TRUE(waitUntil([&] { return bar.searchResult().get_text() == "Not Found"; }));
    EXPECT_FALSE(bar.searchNext().get_sensitive());
    bar.searchField().set_text("apple");
    ASSERT_TRUE(waitUntil([&] { return bar.searchResult().get_text() == "3 match"; }));
    EXPECT_TRUE(bar.searchNext().get_sensitive());
    std::vector<long> order;
    for (int i = 0; i < 4; ++i) {
        bar.searchNextAction();
        order.push_back(bar.steps().index());
    }
    EXPECT_EQ(order, (std::vector<long>{0, 2, 1, 0}));
    bar.searchDoneAction();
    EXPECT_FALSE(bar.get_visible());
    EXPECT_TRUE(waitUntil([&] {
        return host.evaluate("document.querySelectorAll('.wkWebview_Highlight').length") == 0;
    }));
    EXPECT_EQ(host.evaluate("document.body.innerText.indexOf('Apple pie, apple tart')"), 0);
    for (const std::string& text : {std::string("it's \"q\" \\ `tick` ${x}"), std::string("a\rb"),
                                    std::string("\xe2\x80\xa8"), std::string("</script><b>"),
                                    std::string("it's'); document.title='x")}) {
        count = -1;
        host.page().webview().highlightAllOccurencesOfString(text, [&](long n) { count = n; });
        ASSERT_TRUE(waitUntil([&] { return count >= 0; }));
        EXPECT_EQ(count, text.starts_with("it's \"") ? 1 : 0) << text;
    }
    EXPECT_EQ(host.page().webview().title(), "T") << "a quote cannot break out of the page call";

    // The page's notification bridge posts [title, options]; oversized messages are dropped.
    LogCapture log;
    host.evaluate(
        "new Notification('Hello', {body: 'World', tag: 't', actions: "
        "[{action: 'a1', title: 'Open'}, {title: 'no action'}], icon: function(){}}); 0");
    ASSERT_TRUE(waitUntil([&] { return notifications.size() == 1; }));
    EXPECT_EQ(notifications[0][0], "Hello");
    EXPECT_FALSE(notifications[0][1].contains("icon"));
    EXPECT_EQ(from[0], host.page().webview().webView());
    host.evaluate(
        "window.webkit.messageHandlers.notifications.postMessage('x'.repeat(3000000)); 0");
    ASSERT_TRUE(waitUntil([&] { return log.contains("too large"); }));
    EXPECT_EQ(notifications.size(), 1u);
}

TEST(PageControllerIT, DownloadsTheEngineStartsGoThroughTheSaveDialog) {
    const std::string folder = TestHome::path() + "/saved";
    std::filesystem::create_directories(folder);
    PageHost::savePanel().answerFolder = folder;
    servePage("/links",
              "<a id=data download='note.txt' href='data:text/plain,hello%20note'>d</a>"
              "<a id=get download='got.txt' href='/got'>g</a><a id=blob>b</a>"
              "<form id=f method=post action='/export'><input name=q value=1></form>"
              "<script>var b = document.getElementById('blob');"
              "b.href = URL.createObjectURL(new Blob(['blob body'])); b.download = 'blob.txt';"
              "</script>");
    PageHost::server().serve("/got", "fetched again", "text/plain");
    PageHost::server().handle("/export", [](const LocalHttpServer::Request& request) {
        LocalHttpServer::Response response;
        response.contentType = "text/csv";
        response.headers = {{"Content-Disposition", "attachment; filename=\"posted.csv\""}};
        response.body = "posted:" + request.body;
        return response;
    });
    VLSettingsManager::sharedManager().setEnableJavaScript(true);
    PageHost host;
    // Served directly, so the queue reaches the same server as the page.
    ASSERT_TRUE(host.load(PageHost::server().url("/links")));
    auto saved = [&](const std::string& name) {
        const std::string path = folder + "/" + name;
        waitUntil([&] { return std::filesystem::exists(path) && !readFileBytes(path).empty(); });
        return readFileBytes(path);
    };
    // What only the engine holds, the engine saves where the user chose.
    click(host, "data");
    EXPECT_EQ(saved("note.txt"), "hello note");
    click(host, "blob");
    EXPECT_EQ(saved("blob.txt"), "blob body");
    host.evaluate("document.getElementById('f').submit(); 0");
    EXPECT_EQ(saved("posted.csv"), "posted:q=1");
    EXPECT_EQ(PageHost::server().requestCount("/export"), 1u) << "a post is never sent twice";
    // What can be fetched again goes to the download queue like every download.
    click(host, "get");
    EXPECT_EQ(saved("got.txt"), "fetched again");

    std::vector<std::string> names;
    for (const auto& asked : PageHost::savePanel().asked) {
        names.push_back(asked.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"note.txt", "blob.txt", "posted.csv", "got.txt"}));
    const auto& queued = VLWebManager::sharedManager().downloadQueue().operationsArray();
    ASSERT_EQ(queued.size(), 4u) << "every download is an entry of the queue";
    EXPECT_TRUE(waitUntil([&] {
        return std::all_of(queued.begin(), queued.end(), [](const auto& operation) {
            return operation->downloadStatus() == VLDownloadOperation::Status::Completed;
        });
    }));
    EXPECT_FALSE(std::filesystem::exists(TestHome::path() + "/Downloads/note.txt"));
}

TEST(PageControllerIT, PopUpsNeedAClickAndOneClickOpensOneWindow) {
    servePage(
        "/popups",
        "<button id=two onclick=\"var a = window.open('/child'); var b = window.open('/child');"
        " document.title = 'second blocked: ' + (b === null);\">two</button>"
        "<script>setTimeout(function () {"
        " document.title = 'auto blocked: ' + (window.open('/child') === null); }, 0);"
        "</script>");
    servePage("/child", "c");
    VLSettingsManager::sharedManager().setEnableJavaScript(true);
    PageHost host;
    ASSERT_TRUE(host.load("http://site.test/popups"));
    ASSERT_TRUE(waitUntil([&] { return host.page().webview().title() == "auto blocked: true"; }))
        << "blocked by default: " << host.page().webview().title();
    clickElement(host, "two", 1);
    ASSERT_TRUE(waitUntil([&] { return host.page().webview().title() == "second blocked: true"; }));
    EXPECT_EQ(host.delegate.newPages.size(), 1u);

    // Allowed: scripts open windows without a click.
    VLSettingsManager::sharedManager().setBlockPopupWindow(false);
    NotificationCenter::defaultCenter().post("blockPopupWindoww");
    host.evaluate("setTimeout(function () { window.open('/child'); }, 0); 0");
    EXPECT_TRUE(waitUntil([&] { return host.delegate.newPages.size() == 2; }));
}

TEST(PageControllerIT, WebPagesCannotReachTheAppsOwnPages) {
    WelcomePage::install();
    servePage("/evil",
              "<iframe src='sitebox://welcome'></iframe>"
              "<a id=link href='sitebox://set-home?url=evil.test&js=on'>x</a>"
              "<form id=f action='sitebox://set-home'><input name=url value='evil.test'></form>");
    VLSettingsManager::sharedManager().setEnableJavaScript(true);
    VLSettingsManager::sharedManager().setBlockPopupWindow(false);
    PageHost host;
    ASSERT_TRUE(host.load("http://evil.test/evil"));
    clickElement(host, "link", 1);
    host.evaluate("document.getElementById('f').submit(); window.open('sitebox://welcome'); 0");
    host.evaluate("location.href = 'sitebox://set-home?url=evil.test'; 0");
    drainMainContext();
    host.evaluate("0");
    EXPECT_EQ(host.page().webview().url(), "http://evil.test/evil");
    EXPECT_TRUE(host.delegate.newPages.empty());
    // No frame was made for it, or it stayed blank: either way no app page is in it.
    EXPECT_EQ(host.evaluate("(function () { try { return frames.length == 0 ||"
                            " frames[0].location.href == 'about:blank'; } catch (e) {"
                            " return false; } })()"),
              true);

    // The welcome page the app loaded may set the home page only with its form's secret (the
    // form itself is used in the app's tests).
    host.page().loadRequest(WelcomePage::url());
    ASSERT_TRUE(waitUntil([&] { return host.page().webview().title() == "Welcome to Sitebox"; }));
    EXPECT_EQ(VLHistoryManager::sharedManager().getUrlByName("Welcome to Sitebox"), std::nullopt)
        << "the app's own page is no visited page";
    // Refused: the answer leads back to the welcome page (two loads).
    const size_t loads = host.delegate.ended.size();
    host.evaluate("location.href = 'sitebox://set-home?url=evil.test&js=on'; 0");
    ASSERT_TRUE(waitUntil([&] {
        return host.delegate.ended.size() >= loads + 2 &&
               host.page().webview().title() == "Welcome to Sitebox";
    }));
    EXPECT_EQ(VLSettingsManager::sharedManager().getMainUrl(), std::nullopt);
}

TEST(PageControllerIT, UnreachablePagesShowTheAppsErrorPage) {
    // A port nothing listens on (the engine refuses well-known ports such as 1 by itself).
    unsigned port = 0;
    {
        LocalHttpServer closed;
        port = closed.port();
    }
    const std::string url = "http://localhost:" + std::to_string(port) + "/x";
    PageHost host;
    host.page().loadRequest(url);
    ASSERT_TRUE(waitUntil([&] {
        return host.page().webview().title() == "localhost refused to connect";
    })) << host.page().webview().title();
    EXPECT_EQ(host.page().webview().url(), url) << "the address stays";
    EXPECT_EQ(host.evaluate("document.getElementById('try-again').href"), url);
    EXPECT_NE(host.evaluate("document.body.innerText").get<std::string>().find("does not accept"),
              std::string::npos);
    EXPECT_EQ(VLHistoryManager::sharedManager().getUrlByName("localhost refused to connect"),
              std::nullopt)
        << "an error page is no visited page";
}
