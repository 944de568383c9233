#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "FileGuards.h"
#include "LogCapture.h"
#include "rules/VLWhiteListManager.h"
#include "stores/VLFileManager.h"

using nlohmann::json;
using Names = std::vector<std::string>;

namespace {
std::string whitelistFile() {
    return VLFileManager::getSettingsPath() + "whitelist.json";
}

struct Modes {
    bool allowAll = false;
    bool allowPatterns = true;
    bool allowSubdomains = false;
};

void configure(VLWhiteListManager& list, Modes modes, const Names& patterns) {
    list.setAllowAll(modes.allowAll);
    list.setAllowPatterns(modes.allowPatterns);
    list.setAllowSubdomains(modes.allowSubdomains);
    list.removeAllPatterns();
    for (const std::string& pattern : patterns) {
        list.addPattern(pattern);
    }
}
}  // namespace

TEST(VLWhiteListManager, DefaultsWithoutAFileAllowEverything) {
    VLWhiteListManager& list = VLWhiteListManager::sharedManager();
    EXPECT_EQ(&list, &VLWhiteListManager::sharedManager());
    EXPECT_EQ(std::filesystem::path(list.getPath()), std::filesystem::path(whitelistFile()));
    EXPECT_TRUE(list.allowAll());
    EXPECT_FALSE(list.allowPatterns());
    EXPECT_FALSE(list.allowSubdomains());
    EXPECT_TRUE(list.patterns().empty());
    EXPECT_FALSE(std::filesystem::exists(whitelistFile())) << "defaults are not written";
    EXPECT_TRUE(list.isUrlAllow(""));
    list.addPattern("blocked.example");  // not consulted while allowAll is on
    EXPECT_TRUE(list.isUrlAllow("https://blocked.example/"));
}

TEST(VLWhiteListManager, AllowListAndBlockList) {
    VLWhiteListManager list;
    configure(list, {.allowPatterns = true}, {});
    EXPECT_FALSE(list.isUrlAllow("https://example.com/"));
    configure(list, {.allowPatterns = false}, {});
    EXPECT_TRUE(list.isUrlAllow("https://example.com/"));

    const Names patterns = {"*.example.com/*", "https://docs.site.org/guide*"};
    configure(list, {.allowPatterns = true}, patterns);
    EXPECT_TRUE(list.isUrlAllow("https://www.example.com/a"));
    EXPECT_TRUE(list.isUrlAllow("https://docs.site.org/guide/intro"));
    EXPECT_FALSE(list.isUrlAllow("https://docs.site.org/api"));
    EXPECT_FALSE(list.isUrlAllow("https://example.com/"));  // no dot before the host
    EXPECT_FALSE(list.isUrlAllow("https://WWW.EXAMPLE.COM/a"));
    // Not anchored: the pieces may sit anywhere, the query included.
    EXPECT_TRUE(list.isUrlAllow("https://evil.org/?next=x.example.com/"));
    configure(list, {.allowPatterns = false}, patterns);
    EXPECT_FALSE(list.isUrlAllow("https://www.example.com/a"));
    EXPECT_TRUE(list.isUrlAllow("https://docs.site.org/api"));

    // Empty and all-star patterns match everything.
    for (const char* all : {"", "**"}) {
        configure(list, {.allowPatterns = true}, {all});
        EXPECT_TRUE(list.isUrlAllow("anything"));
        EXPECT_TRUE(list.isUrlAllow(""));
    }
    // x*y: first occurrences only; equal starts pass.
    configure(list, {.allowPatterns = true}, {"x*y"});
    EXPECT_FALSE(list.isUrlAllow("y x y"));
    EXPECT_TRUE(list.isUrlAllow("x y"));
    configure(list, {.allowPatterns = true}, {"ab*a"});
    EXPECT_TRUE(list.isUrlAllow("abc"));
    // Unlike rule patterns, a literal star in the URL gets no special treatment.
    configure(list, {.allowPatterns = true}, {"b*a"});
    EXPECT_FALSE(list.isUrlAllow("ab*a"));
}

TEST(VLWhiteListManager, SubdomainMode) {
    VLWhiteListManager list;
    configure(list, {.allowPatterns = true, .allowSubdomains = true},
              {"a.b.c", "x.y*", "https://mail.site.org/*/inbox"});
    EXPECT_TRUE(list.isUrlAllow("https://mail.b.c/"));
    EXPECT_TRUE(list.isUrlAllow("https://b.c/"));
    EXPECT_FALSE(list.isUrlAllow("https://x.z/"));
    // A two-label piece is searched as it stands.
    EXPECT_TRUE(list.isUrlAllow("https://x.y/"));
    EXPECT_FALSE(list.isUrlAllow("https://w.x/y"));
    // The URL piece reduces to its host's last two labels; later pieces stay.
    EXPECT_TRUE(list.isUrlAllow("https://www.site.org/u/1/inbox"));
    EXPECT_FALSE(list.isUrlAllow("https://www.site.org/u/1/outbox"));
    // Only the first non-empty piece is reduced.
    configure(list, {.allowPatterns = true, .allowSubdomains = true}, {"a.b.c/inbox*q.r.s"});
    EXPECT_TRUE(list.isUrlAllow("https://w.b.c/inbox?q.r.s"));
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

TEST(VLWhiteListManager, PatternListKeepsOrderAndIsASet) {
    VLWhiteListManager list;
    list.addPattern("b");
    list.addPattern("a");
    list.addPattern("b");
    list.addPattern("B");
    EXPECT_EQ(list.patterns(), (Names{"b", "a", "B"}));
    list.removePattern("zzz");
    list.removePattern("b");
    EXPECT_EQ(list.patterns(), (Names{"a", "B"}));
    list.addPattern("b");
    EXPECT_EQ(list.patterns(), (Names{"a", "B", "b"}));
    list.removeAllPatterns();
    EXPECT_TRUE(list.patterns().empty());
}

TEST(VLWhiteListManager, FileRoundTripAndShapes) {
    {
        VLWhiteListManager list;
        configure(list, {.allowPatterns = true, .allowSubdomains = true}, {"z", "a*", "a*"});
        ASSERT_TRUE(list.savePatterns());
    }
    const std::string bytes = readFileBytes(whitelistFile());
    EXPECT_EQ(json::parse(bytes), json({{"allowAll", false},
                                        {"allowPatterns", true},
                                        {"pattern", {"z", "a*"}},
                                        {"allowSubdomains", true}}));
    EXPECT_EQ(bytes.find_first_of("\n "), std::string::npos);
    {
        VLWhiteListManager list;
        EXPECT_FALSE(list.allowAll());
        EXPECT_TRUE(list.allowPatterns());
        EXPECT_TRUE(list.allowSubdomains());
        EXPECT_EQ(list.patterns(), (Names{"z", "a*"}));
    }

    // An empty object: everything off, so every URL is allowed (block-list of nothing).
    writeFileBytes(whitelistFile(), "{}");
    {
        VLWhiteListManager list;
        EXPECT_FALSE(list.allowAll());
        EXPECT_FALSE(list.allowPatterns());
        EXPECT_TRUE(list.isUrlAllow("https://any/"));
    }

    // Wrong member types are logged and read as absent; non-string patterns are skipped.
    writeFileBytes(whitelistFile(),
                   R"({"allowAll":[true],"allowPatterns":1,"pattern":["a",5,null,"b","a"]})");
    {
        LogCapture log;
        VLWhiteListManager list;
        EXPECT_FALSE(list.allowAll());
        EXPECT_TRUE(list.allowPatterns());
        EXPECT_EQ(list.patterns(), (Names{"a", "b"}));
        EXPECT_EQ(log.lines().size(), 3u);
    }
    writeFileBytes(whitelistFile(), R"({"allowPatterns":true,"pattern":"a"})");
    {
        LogCapture log;
        VLWhiteListManager list;
        EXPECT_TRUE(list.patterns().empty());
        EXPECT_FALSE(list.isUrlAllow("a"));
        EXPECT_TRUE(log.contains("\"pattern\""));
    }
}

TEST(VLWhiteListManager, BadFilesGiveTheDefaults) {
    for (const std::string& bad : std::vector<std::string>{"[\"a\"]", "{\"allowAll\":false", "true",
                                                           "\"x\"", std::string(20000, '{')}) {
        writeFileBytes(whitelistFile(), bad);
        LogCapture log;
        VLWhiteListManager list;
        EXPECT_TRUE(list.allowAll()) << bad.substr(0, 20);
        EXPECT_FALSE(list.allowPatterns());
        EXPECT_TRUE(list.patterns().empty());
        EXPECT_FALSE(log.lines().empty()) << bad.substr(0, 20);
        EXPECT_EQ(readFileBytes(whitelistFile()), bad) << "left as it was until saved";
    }
    writeFileBytes(whitelistFile(), "");
    LogCapture log;
    EXPECT_TRUE(VLWhiteListManager().allowAll());
    EXPECT_TRUE(log.lines().empty());
}

TEST(VLWhiteListManager, FailedSaveKeepsThePreviousFile) {
    VLWhiteListManager list;
    configure(list, {.allowPatterns = true}, {"kept"});
    ASSERT_TRUE(list.savePatterns());
    const std::string before = readFileBytes(whitelistFile());
    list.addPattern(std::string(100000, 'p'));
    {
        FileSizeLimit fullDisk(64);
        LogCapture log;
        EXPECT_FALSE(list.savePatterns());
        EXPECT_TRUE(log.contains("not saved"));
    }
    EXPECT_EQ(readFileBytes(whitelistFile()), before);
    UnwritableFolder readOnly(VLFileManager::getSettingsPath());
    if (readOnly.active()) {
        EXPECT_FALSE(list.savePatterns());
        EXPECT_EQ(readFileBytes(whitelistFile()), before);
    }
}
