#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "FileGuards.h"
#include "LogCapture.h"
#include "TestHome.h"
#include "rules/SiteWhitelist.h"
#include "rules/VLWhiteListManager.h"
#include "stores/VLFileManager.h"

using nlohmann::json;
using namespace nlohmann::literals;
using Names = std::vector<std::string>;

namespace {
std::string whitelistFile() {
    return VLFileManager::getSettingsPath() + "whitelist.json";
}

// Allow-list (or block-list when `allowPatterns` is off) of `patterns`, allowAll off.
void configure(VLWhiteListManager& list, bool allowPatterns, bool allowSubdomains,
               const Names& patterns) {
    list.setAllowAll(false);
    list.setAllowPatterns(allowPatterns);
    list.setAllowSubdomains(allowSubdomains);
    list.removeAllPatterns();
    for (const std::string& pattern : patterns) {
        list.addPattern(pattern);
    }
}
}  // namespace

TEST(VLWhiteListManager, DefaultsWithoutAFileAllowEverything) {
    EXPECT_TRUE(VLWhiteListManager::sharedManager().allowAll());
    EXPECT_FALSE(std::filesystem::exists(whitelistFile())) << "defaults are not written";
}

TEST(VLWhiteListManager, AllowListAndBlockList) {
    VLWhiteListManager list;
    // Empty lists of either kind are among the file shapes below.
    const Names patterns = {"*.example.com/*", "https://docs.site.org/guide*"};
    configure(list, true, false, patterns);
    EXPECT_TRUE(list.isUrlAllow("https://www.example.com/a"));
    EXPECT_TRUE(list.isUrlAllow("https://docs.site.org/guide/intro"));
    EXPECT_FALSE(list.isUrlAllow("https://docs.site.org/api"));
    configure(list, false, false, patterns);
    EXPECT_FALSE(list.isUrlAllow("https://www.example.com/a"));
    EXPECT_TRUE(list.isUrlAllow("https://docs.site.org/api"));

    // Unlike rule patterns, a literal star in the URL gets no special treatment.
    configure(list, true, false, {"b*a"});
    EXPECT_FALSE(list.isUrlAllow("ab*a"));
}

TEST(VLWhiteListManager, SubdomainMode) {
    VLWhiteListManager list;
    configure(list, true, true, {"a.b.c", "x.y*", "https://mail.site.org/*/inbox"});
    EXPECT_TRUE(list.isUrlAllow("https://mail.b.c/"));
    EXPECT_TRUE(list.isUrlAllow("https://b.c/"));
    EXPECT_FALSE(list.isUrlAllow("https://x.z/"));
    // A two-label piece is searched as it stands.
    EXPECT_TRUE(list.isUrlAllow("https://x.y/"));
    EXPECT_FALSE(list.isUrlAllow("https://w.x/y"));
    // The URL piece reduces to its host's last two labels; later pieces stay.
    EXPECT_TRUE(list.isUrlAllow("https://www.site.org/u/1/inbox"));
    EXPECT_FALSE(list.isUrlAllow("https://www.site.org/u/1/outbox"));
    // Only the first non-empty piece is reduced, and its reduction keeps its place in the order.
    configure(list, true, true, {"**a.b.c/inbox*q.r.s"});
    EXPECT_TRUE(list.isUrlAllow("https://w.b.c/inbox?q.r.s"));
    EXPECT_FALSE(list.isUrlAllow("https://q.r.s/b.c/inbox"));
    EXPECT_FALSE(list.isUrlAllow("https://w.b.c/inbox?r.s"));
    EXPECT_FALSE(list.isUrlAllow("https://b.c/outbox?q.r.s"));
    // Off again: searched literally.
    list.setAllowSubdomains(false);
    EXPECT_FALSE(list.isUrlAllow("https://w.b.c/inbox?q.r.s"));
    EXPECT_TRUE(list.isUrlAllow("https://a.b.c/inbox?q.r.s"));
}

TEST(VLWhiteListManager, MainDomain) {
    using M = VLWhiteListManager;
    EXPECT_EQ(M::mainDomain("a.b.c"), "b.c");
    EXPECT_EQ(M::mainDomain("b.c"), std::nullopt);
    EXPECT_EQ(M::mainDomain("a.b.c/inbox"), "b.c/inbox");
    EXPECT_EQ(M::mainDomain("b.c/x.y.z"), "y.z");
    EXPECT_EQ(M::mainDomain("https://b.c/x.y.z"), std::nullopt);
    EXPECT_EQ(M::mainDomain("https://mail.google.co.uk/x"), "co.uk");
    EXPECT_EQ(M::mainDomain("http://a.b.c:8080/p"), "b.c");
    EXPECT_EQ(M::mainDomain("HTTPS://a.b.c/x"), "b.c/x");         // not taken as a URL
    EXPECT_EQ(M::mainDomain("https://a b.c.d/"), std::nullopt);   // does not parse
    EXPECT_EQ(M::mainDomain("https:///path.a.b"), std::nullopt);  // no host
    EXPECT_EQ(M::mainDomain(".."), ".");
    EXPECT_EQ(M::mainDomain(""), std::nullopt);
}

TEST(VLWhiteListManager, FileRoundTripAndShapes) {
    VLWhiteListManager list;
    configure(list, true, true, {"z", "a*", "a*"});
    ASSERT_TRUE(list.savePatterns());
    const std::string bytes = readFileBytes(whitelistFile());
    EXPECT_EQ(json::parse(bytes), R"({"allowAll": false, "allowPatterns": true,
        "allowSubdomains": true, "pattern": ["z", "a*"]})"_json);
    EXPECT_EQ(bytes.find_first_of("\n "), std::string::npos);
    VLWhiteListManager saved;
    EXPECT_FALSE(saved.allowAll());
    EXPECT_TRUE(saved.allowPatterns());
    EXPECT_TRUE(saved.allowSubdomains());
    EXPECT_EQ(saved.patterns(), (Names{"z", "a*"}));
    // A full disk: logged, and the previous file stays.
    list.addPattern(std::string(100000, 'p'));
    {
        FileSizeLimit fullDisk(64);
        LogCapture log;
        EXPECT_FALSE(list.savePatterns());
        EXPECT_TRUE(log.contains("not saved"));
    }
    EXPECT_EQ(readFileBytes(whitelistFile()), bytes);

    // Wrong member types are logged and read as absent, non-string patterns skipped; a file
    // that is not an object gives the defaults (allow all). The file stays as it was.
    struct Case {
        const char* file;
        bool allowAll, allowPatterns;
        Names patterns;
        bool allowsA;
        size_t logLines;
    };
    for (const Case& c : std::vector<Case>{
             {"{}", false, false, {}, true, 0},  // a block-list of nothing
             // clang-format off
             {R"({"allowAll":[true],"allowPatterns":1,"pattern":["a",5,null,"b","a"]})", false, true, {"a", "b"}, true, 3},
             // clang-format on
             {R"({"allowPatterns":true,"pattern":"a"})", false, true, {}, false, 1},
             {"", true, false, {}, true, 0},
             {R"(["a"])", true, false, {}, true, 1},
             {R"({"allowAll":false)", true, false, {}, true, 1},
             {"true", true, false, {}, true, 1}}) {
        writeFileBytes(whitelistFile(), c.file);
        LogCapture log;
        VLWhiteListManager list;
        EXPECT_EQ(list.allowAll(), c.allowAll) << c.file;
        EXPECT_EQ(list.allowPatterns(), c.allowPatterns) << c.file;
        EXPECT_EQ(list.patterns(), c.patterns) << c.file;
        EXPECT_EQ(list.isUrlAllow("a"), c.allowsA) << c.file;
        EXPECT_EQ(log.lines().size(), c.logLines) << c.file;
        EXPECT_EQ(readFileBytes(whitelistFile()), c.file);
    }
}

TEST(SiteWhitelist, KeepsTheSiteAndItsSubdomainsOnly) {
    struct Case {
        std::string site;
        std::vector<std::pair<std::string, bool>> urls;
    };
    const std::vector<Case> cases = {
        {"https://mail.example.org/inbox",
         {{"https://example.org/", true},
          {"http://www.example.org/a?b", true},
          {"https://a.b.example.org/", true},
          {"https://notexample.org/", false},
          {"https://example.org.evil.test/", false},
          {"https://other.test/", false}}},
        {"https://www.bbc.co.uk/news",
         {{"https://bbc.co.uk/", true}, {"https://itv.co.uk/", false}}},
        {"http://127.0.0.1:8080/home",
         {{"http://127.0.0.1:8080/x", true},
          {"http://127.0.0.1:9090/", false},
          {"http://localhost:8080/", false}}},
        {"https://example.org:443/", {{"https://example.org/", true}}},
    };
    for (const Case& test : cases) {
        VLWhiteListManager list(TestHome::path() + "/site.json");
        ASSERT_TRUE(SiteWhitelist::apply(list, test.site)) << test.site;
        EXPECT_FALSE(list.allowAll());
        EXPECT_TRUE(list.allowPatterns());
        for (const auto& [url, allowed] : test.urls) {
            EXPECT_EQ(list.isUrlAllow(url), allowed) << test.site << " -> " << url;
        }
    }
    VLWhiteListManager untouched(TestHome::path() + "/none.json");
    EXPECT_FALSE(SiteWhitelist::apply(untouched, "not a url"));
    EXPECT_TRUE(untouched.allowAll());
}
