#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rules/UrlPattern.h"

TEST(UrlPattern, PiecesAreMatchedByFirstOccurrencesInOrder) {
    // Empty and all-star patterns match everything, even the empty URL.
    for (const char* pattern : {"", "*", "***"}) {
        EXPECT_TRUE(UrlPattern::matches("", pattern));
        EXPECT_TRUE(UrlPattern::matches("https://x/", pattern));
    }
    EXPECT_TRUE(UrlPattern::matches("https://a.example/?q=b.c", "b.c"));
    EXPECT_TRUE(UrlPattern::matches("https://x/a/y", "x*y"));
    // Empty pieces between stars are dropped (an empty piece at 0 would break the order).
    EXPECT_TRUE(UrlPattern::matches("-a-b-c", "**a**b*c*"));
    // The first y comes before the first x: no match, though a y follows the x.
    EXPECT_FALSE(UrlPattern::matches("y-x-y", "x*y"));
    // Same start index passes the order test.
    EXPECT_TRUE(UrlPattern::matches("abc", "ab*a"));
    // Searched from the start each time: a repeated piece is found at the same place.
    EXPECT_TRUE(UrlPattern::matches("ab", "a*a*a"));
    // No anchoring, no case folding, ? and . are plain.
    EXPECT_TRUE(UrlPattern::matches("zzz-mail.example.com-zzz", "mail.example.com"));
    EXPECT_FALSE(UrlPattern::matches("https://MAIL.example.com/", "mail.example.com"));
    EXPECT_FALSE(UrlPattern::matches("https://axb/", "a?b"));
    EXPECT_FALSE(UrlPattern::matches("https://ab/", "a.b"));
}

TEST(UrlPattern, NaturalOrderIsNumericCaseSensitiveAndStrict) {
    // clang-format off
    const std::vector<std::string> sorted = {"Rule", "Rule 2", "Rule 2a", "Rule 09", "Rule 9",
                                             "Rule 10", "Rule 100000000000000000000000001", "rule 1"};
    // clang-format on
    std::vector<std::string> names(sorted.rbegin(), sorted.rend());
    std::sort(names.begin(), names.end(), UrlPattern::NaturalOrder());
    EXPECT_EQ(names, sorted);
    EXPECT_FALSE(UrlPattern::naturalLess("a", "a"));
    EXPECT_NE(UrlPattern::naturalLess("a01", "a1"), UrlPattern::naturalLess("a1", "a01"));
}
