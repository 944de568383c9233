#include <gtest/gtest.h>

#include "rules/UnreadCounter.h"

using Rows = std::vector<std::string>;

// The badge for mail rows and for a count in the title is followed end to end in PageBridgeIT.
TEST(UnreadCounter, MailRowsAreAnnouncedOnceAndCountedOnTheBadge) {
    UnreadCounter counter;
    const UnreadCounter::Settings on;
    auto first =
        counter.update(Rows{"unread, Ann, Lunch, 10:02, See you", "Bob"}, std::nullopt, on);
    EXPECT_EQ(first.announce, (Rows{" Ann, Lunch, 10:02, See you", "Bob"}));
    // The same rows again: nothing new; a third row: one announcement.
    EXPECT_TRUE(counter.update(Rows{"unread, Ann, Lunch, 10:02, See you", "Bob"}, "2", on)
                    .announce.empty());
    EXPECT_EQ(
        counter.update(Rows{"unread, Ann, Lunch, 10:02, See you", "Bob", "Cy"}, "2", on).announce,
        Rows{"Cy"});
    // An empty result clears the badge and what was announced, so rows come back as new.
    auto empty = counter.update(Rows{}, "3", on);
    EXPECT_TRUE(empty.changed);
    EXPECT_EQ(empty.badge, "");
    EXPECT_EQ(empty.dockLabel, std::nullopt);
    EXPECT_EQ(counter.update(Rows{"Bob"}, std::nullopt, on).announce, Rows{"Bob"});

    // The fields of a row make the notification; too few fields make "<text> New Messages.".
    auto notice = UnreadCounter::noticeFor(" Ann, Lunch, 10:02, See you there", "mail.test");
    EXPECT_EQ(notice.title, " Ann");
    EXPECT_EQ(notice.subtitle, " Lunch");
    EXPECT_EQ(notice.text, " See you there");
    auto shortRow = UnreadCounter::noticeFor("a, b, c", "mail.test");
    EXPECT_EQ(shortRow.title, "a, b, c New Messages.");
    EXPECT_EQ(shortRow.text, "mail.test");
}

TEST(UnreadCounter, SocialCountsAndTheSettings) {
    UnreadCounter counter;
    const UnreadCounter::Settings on;
    EXPECT_EQ(counter.update(std::string("3"), std::nullopt, on).announce, Rows{"3"});
    EXPECT_TRUE(counter.update(std::string("3"), "3", on).announce.empty());
    EXPECT_EQ(counter.update(std::string("5"), "3", on).announce, Rows{"5"});
    auto fewer = counter.update(std::string("2"), "5", on);
    EXPECT_TRUE(fewer.announce.empty());
    EXPECT_EQ(fewer.badge, "2");
    auto zero = counter.update(std::string("0"), "2", on);
    EXPECT_EQ(zero.badge, "");
    EXPECT_EQ(zero.dockLabel, std::nullopt);

    // Badge off: a result changes nothing, but a failed script still clears the badge.
    const UnreadCounter::Settings badgeOff{true, false};
    EXPECT_FALSE(counter.update(std::string("7"), std::nullopt, badgeOff).changed);
    EXPECT_TRUE(counter.update(std::monostate{}, "7", badgeOff).changed);
    // Notifications off: the badge follows and rows count as announced.
    const UnreadCounter::Settings quiet{false, true};
    auto silent = counter.update(Rows{"Dee"}, std::nullopt, quiet);
    EXPECT_TRUE(silent.announce.empty());
    EXPECT_EQ(silent.badge, "1");
    EXPECT_TRUE(counter.update(Rows{"Dee"}, "1", on).announce.empty());
}

TEST(UnreadCounter, CountsInPageTitles) {
    EXPECT_EQ(UnreadCounter::countInTitle("Inbox (12)"), "12");
    EXPECT_EQ(UnreadCounter::countInTitle("Chat (99+) "), "99+");
    EXPECT_EQ(UnreadCounter::countInTitle("Inbox"), std::nullopt);
    EXPECT_EQ(UnreadCounter::countInTitle("Report (draft) 2024"), std::nullopt);
    EXPECT_EQ(UnreadCounter::countInTitle("Year (2024) review"), std::nullopt);
    EXPECT_EQ(UnreadCounter::countInTitle("()"), std::nullopt);
    EXPECT_EQ(UnreadCounter::countInTitle(""), std::nullopt);
}
