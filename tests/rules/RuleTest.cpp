#include <gtest/gtest.h>

#include "LogCapture.h"
#include "rules/VLRule.h"

using nlohmann::json;

// Round trips and a "state" that is no number are checked through the scripts store.
TEST(VLPattern, DictionaryReading) {
    EXPECT_EQ(VLPattern::initWithDictionary({{"name", "x"}, {"state", 2.9}})->state(), 2);
    for (const json& bad :
         {json{{"state", 1}}, json{{"name", 5}}, json::array({"name", "x"}), json("x")}) {
        EXPECT_FALSE(VLPattern::initWithDictionary(bad)) << bad;
    }
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
    EXPECT_TRUE(log.contains("bad-type"));
    EXPECT_TRUE(log.contains("no-name"));
    // Later of the two same-named patterns wins (members are read in key order).
    EXPECT_EQ(
        rule->toDictionary(),
        json({{"name", "R"},
              {"state", 1},
              {"script", "alert(1)"},
              {"pattern",
               {{"*a*", {{"name", "*a*"}, {"state", 0}}}, {"b", {{"name", "b"}, {"state", 0}}}}}}));

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
