#include <gtest/gtest.h>

#include <filesystem>

#include "BrowserTestSupport.h"
#include "TestHome.h"
#include "filterlists/FilterListConverter.h"
#include "foundation/Files.h"
#include "foundation/NotificationCenter.h"
#include "stores/VLSettingsManager.h"

namespace {
using Response = LocalHttpServer::Response;

std::string resources() {
    return TestHome::bundlePath() + "/Contents/Resources";
}

void writeLists(const std::vector<std::string>& filterLists) {
    std::filesystem::remove(resources() + "/rules.json");
    size_t index = 0;
    for (const std::string& text : filterLists) {
        FilterListConverter converter;
        converter.add(text);
        for (const auto& list : converter.lists()) {
            ASSERT_EQ(Files::writeAtomically(
                          resources() + "/" + FilterListConverter::fileName(index++), list.dump()),
                      "");
        }
    }
}

void serveTestSite(const std::string& page, const std::string& body) {
    servePage(page, body);
    auto& server = PageHost::server();
    for (const char* path : {"/x.gif", "/allowed.gif", "/pic.gif", "/banner/1.gif", "/s.gif"}) {
        server.serve(path, "GIF89a", "image/gif");
    }
    server.serve("/t.js", "window.tracked = true;", "text/javascript");
    server.serve("/site.css", ".content { color: rgb(1, 2, 3); }", "text/css");
}

std::string display(PageHost& host, const std::string& selector) {
    return host.evaluate("getComputedStyle(document.querySelector('" + selector + "')).display")
        .get<std::string>();
}
}  // namespace

TEST(ContentRulesIT, ConvertedListsBlockInARealPageAndComeOffWithTheSetting) {
    prepareBrowserTest();
    writeLists(
        {"||ads.test^\n/banner/*$image\n@@||ads.test/allowed.gif$image\n##.ad-box\n"
         "site.test##.site-ad\nother.test##.content\n||tracker.test^$third-party\n",
         "||second.test^\n"});
    serveTestSite("/page",
                  "<link rel=stylesheet href='http://site.test/site.css'>"
                  "<img src='http://ads.test/x.gif'><img src='http://ads.test/allowed.gif'>"
                  "<img src='http://site.test/banner/1.gif'><img src='http://site.test/pic.gif'>"
                  "<img src='http://second.test/s.gif'>"
                  "<script src='http://tracker.test/t.js'></script>"
                  "<div class=ad-box>ad</div><div class=site-ad>ad</div>"
                  "<div class=content>text</div>");
    VLSettingsManager::sharedManager().setBlockAds(true);
    PageHost host(std::string("http://site.test/page"));
    ASSERT_TRUE(host.waitForLoad("/page"));
    ASSERT_TRUE(waitUntil([] {
        return requestsTo("site.test", "/pic.gif") > 0 && requestsTo("ads.test", "/allowed.gif");
    }));
    EXPECT_GT(requestsTo("site.test", "/site.css"), 0u);
    EXPECT_EQ(requestsTo("ads.test", "/x.gif"), 0u);
    EXPECT_EQ(requestsTo("site.test", "/banner/1.gif"), 0u);
    EXPECT_EQ(requestsTo("tracker.test", "/t.js"), 0u);
    EXPECT_EQ(requestsTo("second.test", "/s.gif"), 0u);  // the second list is installed too
    EXPECT_EQ(display(host, ".ad-box"), "none");
    EXPECT_EQ(display(host, ".site-ad"), "none");
    EXPECT_EQ(display(host, ".content"), "block");

    // Ads allowed again: every list comes off the page.
    VLSettingsManager::sharedManager().setBlockAds(false);
    NotificationCenter::defaultCenter().post("blockAds");
    ASSERT_TRUE(host.load("http://site.test/page?again"));
    EXPECT_TRUE(waitUntil([] {
        return requestsTo("ads.test", "/x.gif") > 0 && requestsTo("second.test", "/s.gif") > 0;
    }));
    EXPECT_EQ(display(host, ".ad-box"), "block");
}

// The lists the build made from EasyList and EasyPrivacy: the engine takes them whole, they
// block known ad and tracker hosts and leave the site alone.
TEST(ContentRulesIT, FullListsFromTheBuildCompileAndBlock) {
    const std::string built = std::string(SITEBOX_BUNDLE_DIR) + "/Contents/Resources";
    Files::ReadResult version = Files::read(built + "/rules-version.json");
    if (!version.ok() || version.data.find("EasyList") == std::string::npos) {
        GTEST_SKIP() << "the build found no EasyList (package webext-ublock-origin-firefox)";
    }
    prepareBrowserTest();
    std::filesystem::remove(resources() + "/rules.json");
    for (size_t i = 0; Files::exists(built + "/" + FilterListConverter::fileName(i)); ++i) {
        std::filesystem::copy_file(built + "/" + FilterListConverter::fileName(i),
                                   resources() + "/" + FilterListConverter::fileName(i));
    }
    std::filesystem::copy_file(built + "/rules-version.json", resources() + "/rules-version.json");
    serveTestSite("/full",
                  "<img src='http://ib.adnxs.com/x.gif'>"
                  "<img src='http://sb.scorecardresearch.com/s.gif'>"
                  "<script src='http://www.google-analytics.com/t.js'></script>"
                  "<img src='http://site.test/pic.gif'><div class=content>text</div>");
    VLSettingsManager::sharedManager().setBlockAds(true);
    PageHost host(std::string("http://site.test/full"));
    ASSERT_TRUE(host.waitForLoad("/full", 280000));  // the app logs how long the lists took
    ASSERT_TRUE(waitUntil([] { return requestsTo("site.test", "/pic.gif") > 0; }));
    EXPECT_EQ(requestsTo("ib.adnxs.com", "/x.gif"), 0u);
    EXPECT_EQ(requestsTo("sb.scorecardresearch.com", "/s.gif"), 0u);
    EXPECT_EQ(requestsTo("www.google-analytics.com", "/t.js"), 0u);
    EXPECT_EQ(display(host, ".content"), "block");
}
