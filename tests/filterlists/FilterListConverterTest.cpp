#include <gtest/gtest.h>

#include <regex>

#include "filterlists/FilterListConverter.h"
#include "filterlists/FilterListHeader.h"
#include "filterlists/UrlFilterPattern.h"

namespace {
using nlohmann::json;

struct Converted {
    std::vector<json> lists;
    FilterListConverter::Report report;
};

Converted convert(std::string_view text, size_t maxRules = FilterListConverter::kEngineRuleLimit) {
    FilterListConverter converter(maxRules);
    converter.add(text);
    auto lists = converter.lists();
    return {std::move(lists), converter.report()};
}

// Matches as the engine does: anywhere in the address, case aside.
bool matches(const std::string& urlFilter, const std::string& url) {
    return std::regex_search(url,
                             std::regex(urlFilter, std::regex::ECMAScript | std::regex::icase));
}

size_t skippedFor(const Converted& c, const std::string& reason) {
    auto it = c.report.skipped.find(reason);
    return it == c.report.skipped.end() ? 0 : it->second;
}
}  // namespace

TEST(UrlFilterPattern, AnchorsSeparatorsWildcardsAndEscapesMatchLikeTheFilterSyntax) {
    struct Case {
        const char* pattern;
        std::vector<std::string> hits;
        std::vector<std::string> misses;
    };
    const std::vector<Case> cases = {
        {"||ads.example.com^",
         {"https://ads.example.com/x.js", "http://cdn.ads.example.com:8080/",
          "HTTP://ADS.EXAMPLE.COM/"},
         {"https://badads.example.com/", "https://ads.example.community/",
          "https://site.test/?u=https://ads.example.com/", "https://adsxexample.com/"}},
        {"||t.test/px^*.gif|",
         {"https://t.test/px/1.gif", "https://a.t.test/px?x.gif"},
         {"https://t.test/pxl/1.gif", "https://t.test/px/1.gif?x"}},
        {"|https://a.b/x?y=1+2(3)|",
         {"https://a.b/x?y=1+2(3)"},
         {"https://a.b/x?y=1+2(3)4", "https://a.b/xzy=1+2(3)",
          "http://e.com/|https://a.b/x?y=1+2(3)"}},
        {"/ads^",
         {"http://a.com/ads", "http://a.com/ads?x=1", "http://a.com/ads/"},
         {"http://a.com/adsx", "http://a.com/ads-top", "http://a.com/ads_x"}},
        {"&ad^id=$[x]{2}", {"http://a.com/?q=&ad=id=$[x]{2}"}, {"http://a.com/?q=&adid=$x"}},
        {"*/banner/*/img.",
         {"http://a.com/banner/top/img.png"},
         {"http://a.com/banner/img.png", "http://a.com/banner/t/imgxpng"}},
        {"/\\/ad[0-9]\\d+\\.js$/",
         {"http://a.com/ad12.js"},
         {"http://a.com/ad1.js", "http://a.com/ad12.jsx"}},
    };
    for (const Case& c : cases) {
        std::string reason;
        auto filter = UrlFilterPattern::convert(c.pattern, reason);
        ASSERT_TRUE(filter) << c.pattern << ": " << reason;
        for (const std::string& url : c.hits) {
            EXPECT_TRUE(matches(*filter, url)) << c.pattern << " -> " << *filter << " on " << url;
        }
        for (const std::string& url : c.misses) {
            EXPECT_FALSE(matches(*filter, url)) << c.pattern << " -> " << *filter << " on " << url;
        }
    }
    // Regular expressions the engine's parser refuses are left out, and so is what it cannot read.
    for (const char* refused : {"/ad{2}/", "/a|b/", "/x(?!y)/", "/\\bads\\b/", "/a$b/", "/(a)\\1/",
                                "/\xc3\xa9/", "pub\xc3\xa9"}) {
        std::string reason;
        EXPECT_FALSE(UrlFilterPattern::convert(refused, reason)) << refused;
        EXPECT_FALSE(reason.empty()) << refused;
    }
}

TEST(FilterListConverter, OptionsBecomeTriggersAndWhatCannotBeSaidIsCounted) {
    const Converted c = convert(
        "! comment\n[Adblock Plus 2.0]\n\n"
        "||tracker.test^$third-party\r\n"
        "/ad.js$script,image,domain=a.com|b.com|~c.org\n"
        "/pixel.$~image,~third-party\n"
        "||frames.test^$subdocument\n"
        "/x.json$xmlhttprequest,stylesheet,domain=~News.EXAMPLE\n"
        "/Upper.$match-case\n"
        "||ads.test^$important\n"
        "@@||ads.test/ok.gif$image\n"
        "@@||safe.test^$document\n"
        "||csp.test^$csp=script-src 'none'\n"
        "||redir.test^$redirect=noop.js\n"
        "||pop.test^$popup\n"
        "||mixed.test^$domain=a.com|~b.a.com\n"
        "||entity.test^$domain=google.*\n"
        "||gone.test^$image\n"
        "||gone.test^$image,badfilter\n"
        "/a{3}/\n"
        "||idn.test^$domain=B\xc3\xbc"
        "cher.de\n");
    ASSERT_EQ(c.lists.size(), 1u);
    const json& list = c.lists[0];
    auto find = [&](const std::string& urlPart, const std::string& action) {
        for (size_t i = 0; i < list.size(); ++i) {
            const std::string filter = list[i]["trigger"]["url-filter"];
            if (filter.find(urlPart) != std::string::npos && list[i]["action"]["type"] == action) {
                return static_cast<int>(i);
            }
        }
        return -1;
    };
    auto trigger = [&](const std::string& urlPart, const std::string& action = "block") {
        const int at = find(urlPart, action);
        return at < 0 ? json() : list[at]["trigger"];
    };
    EXPECT_EQ(trigger("tracker")["load-type"], json({"third-party"}));
    EXPECT_FALSE(trigger("tracker").contains("resource-type"));  // the whole host
    EXPECT_EQ(trigger("ad\\.js")["resource-type"], json({"image", "script"}));
    EXPECT_EQ(trigger("ad\\.js")["if-domain"], json({"*a.com", "*b.com"}));
    const json pixel = trigger("pixel");
    EXPECT_EQ(pixel["load-type"], json({"first-party"}));
    const json& types = pixel["resource-type"];
    EXPECT_EQ(std::count(types.begin(), types.end(), "image"), 0);
    EXPECT_EQ(std::count(types.begin(), types.end(), "document"), 0);
    EXPECT_EQ(trigger("frames")["resource-type"], json({"document"}));
    EXPECT_EQ(trigger("frames")["load-context"], json({"child-frame"}));
    EXPECT_EQ(trigger("x\\.json")["resource-type"], json({"fetch", "style-sheet"}));
    EXPECT_EQ(trigger("x\\.json")["unless-domain"], json({"*news.example"}));
    EXPECT_EQ(trigger("Upper")["url-filter-is-case-sensitive"], true);
    EXPECT_EQ(trigger("idn")["if-domain"], json({"*xn--bcher-kva.de"}));  // the engine's form
    // Exceptions come after blocking filters, "$important" after exceptions.
    const int exception = find("ok\\.gif", "ignore-previous-rules");
    ASSERT_GE(exception, 0);
    EXPECT_LT(find("tracker", "block"), exception);
    EXPECT_GT(find("ads\\.test", "block"), exception);
    // "$document" exempts the site's pages from everything.
    const int page = find(".*", "ignore-previous-rules");
    ASSERT_GE(page, 0);
    EXPECT_EQ(list[page]["trigger"]["if-domain"], json({"*safe.test"}));

    for (const char* left : {"csp", "redir", "pop", "mixed", "entity", "gone"}) {
        EXPECT_EQ(find(left, "block"), -1) << left;
    }
    for (const char* reason :
         {"$csp", "$redirect", "$popup", "mixed domains", "entity domain", "unsupported regex"}) {
        EXPECT_EQ(skippedFor(c, reason), 1u) << reason;
    }
    EXPECT_EQ(skippedFor(c, "$badfilter") + skippedFor(c, "cancelled by $badfilter"), 2u);
    size_t skipped = 0;
    for (const auto& [reason, count] : c.report.skipped) {
        skipped += count;
    }
    EXPECT_EQ(c.report.filters, 18u);
    EXPECT_EQ(c.report.converted + skipped, c.report.filters);
    EXPECT_EQ(c.report.emitted, list.size());
}

TEST(FilterListConverter, ElementHidingWithDomainsAndExceptions) {
    const Converted c = convert(
        "##.banner\n"
        "##.gone\n"
        "#@#.gone\n"
        "a.com,b.com##.promo\n"
        "~c.com##.side\n"
        "a.com#@#.promo\n"
        "d.com#@#.banner\n"
        "x.com##.deep\n"
        "sub.x.com#@#.deep\n"
        "example.*,e.com##.ent\n"
        "example.*##.only-entity\n"
        "site.com#?#.x:-abp-has(.y)\n"
        "site.com##+js(nowebrtc)\n"
        "site.com##div:has-text(Sponsored)\n"
        "site.com#$#body { color: red }\n"
        "@@||news.test^$generichide\n");
    ASSERT_EQ(c.lists.size(), 1u);
    std::map<std::string, json> hiding;
    int lastGeneric = -1;
    int firstSite = -1;
    int genericException = -1;
    for (size_t i = 0; i < c.lists[0].size(); ++i) {
        const json& rule = c.lists[0][i];
        if (rule["action"]["type"] == "css-display-none") {
            hiding[rule["action"]["selector"]] = rule["trigger"];
            if (!rule["trigger"].contains("if-domain")) {
                lastGeneric = static_cast<int>(i);
            } else if (firstSite < 0) {
                firstSite = static_cast<int>(i);
            }
        } else if (rule["action"]["type"] == "ignore-previous-rules") {
            genericException = static_cast<int>(i);
            EXPECT_EQ(rule["trigger"]["resource-type"], json({"document"}));
        }
    }
    EXPECT_EQ(hiding[".banner"]["unless-domain"], json({"*d.com"}));
    EXPECT_EQ(hiding.count(".gone"), 0u);
    EXPECT_EQ(hiding[".promo"]["if-domain"], json({"*b.com"}));
    EXPECT_EQ(hiding[".side"]["unless-domain"], json({"*c.com"}));
    EXPECT_EQ(hiding.count(".deep"), 0u);  // needs if-domain and unless-domain at once
    EXPECT_EQ(hiding[".ent"]["if-domain"], json({"*e.com"}));
    EXPECT_EQ(hiding.size(), 4u);
    // "$generichide" sits between generic and site hiding, so it turns off only the former.
    EXPECT_LT(lastGeneric, genericException);
    EXPECT_LT(genericException, firstSite);
    for (const char* reason : {"turned off by #@#", "mixed domains", "entity domain", "#?# filter",
                               "#$# filter", "scriptlet", "procedural selector"}) {
        EXPECT_EQ(skippedFor(c, reason), 1u) << reason;
    }
}

TEST(FilterListConverter, LongListsAreCutAndEveryPartKeepsTheExceptions) {
    std::string text;
    for (int i = 0; i < 8; ++i) {
        text += "||ad" + std::to_string(i) + ".test^\n";
    }
    text += "@@||ad1.test/ok^\n@@||ad2.test/ok^\n";
    const Converted c = convert(text, 5);
    ASSERT_EQ(c.lists.size(), 3u);
    size_t blocks = 0;
    for (const json& list : c.lists) {
        EXPECT_LE(list.size(), 5u);
        ASSERT_GE(list.size(), 2u);
        EXPECT_EQ(list[list.size() - 1]["action"]["type"], "ignore-previous-rules");
        EXPECT_EQ(list[list.size() - 2]["action"]["type"], "ignore-previous-rules");
        blocks += list.size() - 2;
    }
    EXPECT_EQ(blocks, 8u);
    EXPECT_THROW(convert("@@||a.test^\n@@||b.test^\n||c.test^\n", 2), std::length_error);
    EXPECT_TRUE(convert("! only a comment\n").lists.empty());

    const FilterListHeader header = FilterListHeader::read(
        "[Adblock Plus 2.0]\n! Title: EasyList\n! Version: 202510310000\n"
        "! Last modified: %timestamp%\n||a.test^\n! Title: Not the header\n");
    EXPECT_EQ(header.title, "EasyList");
    EXPECT_EQ(header.version, "202510310000");
    EXPECT_EQ(header.lastModified, "");
}
