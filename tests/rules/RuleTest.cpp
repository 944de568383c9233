#include <gtest/gtest.h>

#include "LogCapture.h"
#include "rules/VLRule.h"

using nlohmann::json;

TEST(VLPattern, DictionaryReadingAndWriting) {
    auto pattern = VLPattern::initWithDictionary({{"name", "*a*"}, {"state", 1}});
    ASSERT_TRUE(pattern);
    EXPECT_EQ(pattern->name(), "*a*");
    EXPECT_EQ(pattern->state(), 1);
    EXPECT_EQ(pattern->toDictionary(), json({{"name", "*a*"}, {"state", 1}}));
    EXPECT_EQ(VLPattern::initWithDictionary({{"name", "x"}})->state(), 0);
    EXPECT_EQ(VLPattern::initWithDictionary({{"name", "x"}, {"state", "on"}})->state(), 0);
    EXPECT_EQ(VLPattern::initWithDictionary({{"name", "x"}, {"state", 2.9}})->state(), 2);
    EXPECT_FALSE(VLPattern::initWithDictionary({{"state", 1}}));
    EXPECT_FALSE(VLPattern::initWithDictionary({{"name", 5}}));
    EXPECT_FALSE(VLPattern::initWithDictionary(json::array({"name", "x"})));
    EXPECT_FALSE(VLPattern::initWithDictionary("x"));
}

TEST(VLRule, PatternsAreFiledUnderTheirInnerName) {
    LogCapture log;
    json dictionary = {{"name", "R"},
                       {"state", 1},
                       {"script", "alert(1)"},
                       {"pattern",
                        {{"key-one", {{"name", "*a*"}, {"state", 1}}},
                         {"key-two", {{"name", "*a*"}, {"state", 0}}},
                         {"bad-type", 7},
                         {"no-name", {{"state", 1}}},
                         {"b", {{"name", "b"}}}}}};
    auto rule = VLRule::initWithDictionary(dictionary);
    ASSERT_TRUE(rule);
    EXPECT_EQ(rule->name(), "R");
    EXPECT_EQ(rule->state(), 1);
    EXPECT_EQ(rule->script(), "alert(1)");
    EXPECT_EQ(rule->patternNames(), (std::vector<std::string>{"*a*", "b"}));
    EXPECT_TRUE(log.contains("bad-type"));
    EXPECT_TRUE(log.contains("no-name"));

    // Later of the two same-named patterns wins (members are read in key order).
    json written = rule->toDictionary();
    EXPECT_EQ(written["pattern"], json({{"*a*", {{"name", "*a*"}, {"state", 0}}},
                                        {"b", {{"name", "b"}, {"state", 0}}}}));
    EXPECT_EQ(written["script"], "alert(1)");
    rule->setScript(std::nullopt);
    EXPECT_FALSE(rule->toDictionary().contains("script"));

    EXPECT_FALSE(VLRule::initWithDictionary({{"state", 1}, {"pattern", json::object()}}));
    log.clear();
    auto odd = VLRule::initWithDictionary({{"name", "O"}, {"script", 3}, {"pattern", {1, 2}}});
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->script(), std::nullopt);
    EXPECT_TRUE(odd->patterns().empty());
    EXPECT_EQ(log.lines().size(), 2u);
}

TEST(VLRule, EditingPatterns) {
    VLRule rule("R", 1);
    rule.addPattern("a", 1);
    rule.addPattern("b", 1);
    rule.addPattern("a", 0);  // replaces the state
    EXPECT_EQ(rule.findPattern("a")->state(), 0);
    rule.renamePattern("a", "b");  // onto another: replaces it
    EXPECT_EQ(rule.patternNames(), std::vector<std::string>{"b"});
    EXPECT_EQ(rule.findPattern("b")->state(), 0);
    EXPECT_EQ(rule.findPattern("b")->name(), "b");
    rule.renamePattern("missing", "c");
    EXPECT_EQ(rule.patternNames(), std::vector<std::string>{"b"});
    rule.renamePattern("b", "b");
    EXPECT_EQ(rule.patternNames(), std::vector<std::string>{"b"});
    rule.removePattern("missing");
    rule.removePattern("b");
    EXPECT_EQ(rule.findPattern("b"), nullptr);
}

TEST(VLRule, FindPatternThatContans) {
    VLRule order("O", 1);
    order.addPattern("x*y", 1);
    EXPECT_EQ(order.findPatternThatContans("y..x"), std::nullopt);
    EXPECT_EQ(order.findPatternThatContans("y..x..y"), std::nullopt);
    // The whole text found literally matches at once, stars included.
    EXPECT_EQ(order.findPatternThatContans("y..x*y"), "x*y");

    // Switched-off patterns never match; of several matches the first in natural order wins.
    VLRule many("M", 1);
    many.addPattern("", 0);
    many.addPattern("*", 1);
    many.addPattern("item10", 1);
    many.addPattern("item9", 1);
    EXPECT_EQ(many.findPatternThatContans("https://x/item10/item9"), "*");
    many.setState(0);  // the rule's own state is the store's business
    EXPECT_EQ(many.findPatternThatContans("https://x/item10/item9"), "*");
    many.removePattern("*");
    EXPECT_EQ(many.findPatternThatContans("https://x/item10/item9"), "item9");
    EXPECT_EQ(many.findPatternThatContans("https://nothing/"), std::nullopt);
    many.findPattern("")->setState(1);
    EXPECT_EQ(many.findPatternThatContans("https://nothing/"), "");
}
