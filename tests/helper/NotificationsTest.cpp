#include <gtest/gtest.h>

#include <thread>
#include <tuple>

#include "InMemoryKeychainStore.h"
#include "LogCapture.h"
#include "RecordBuilders.h"
#include "helper/CorvaHelper.h"
#include "helper/NotificationPresentation.h"
#include "helper/PendingNotifications.h"

namespace {
class FakePoster : public NotificationPoster {
  public:
    void setDelegate(NotificationPosterDelegate*) override {}
    bool deliver(const std::string&, const std::string&, const NotificationContent&) override {
        ++deliveries;
        return !unavailable;
    }
    int deliveries = 0;
    bool unavailable = false;
};

using ShellCallRecord = std::tuple<std::string, std::optional<std::string>, std::string>;

struct HelperUnderTest {
    InMemoryKeychainStore store;
    KeychainManager keychain{store};
    FakePoster poster;
    std::vector<ShellCallRecord> shellCalls;
    CorvaHelper helper{keychain, poster,
                       [this](const std::string& sender, const std::optional<std::string>& action,
                              const std::string& identifier, const std::string&) {
                           shellCalls.emplace_back(sender, action, identifier);
                       }};
};
}  // namespace

TEST(NotificationPresentation, BodyAndButtons) {
    // Summary, body and one action are covered end to end by the service test; no action shows
    // no button, several get numbered buttons.
    EXPECT_TRUE(NotificationPresentation::contentFor(notification("n")).buttons.empty());
    NotificationContent three = NotificationPresentation::contentFor(notification(
        "n", {action("a", "First"), action("b", "Second"), action(std::nullopt, "Third")}));
    EXPECT_EQ(three.buttons,
              (std::vector<NotificationButton>{
                  {"close", "Close"}, {"0", "First"}, {"1", "Second"}, {"2", "Third"}}));

    VLNotificationInfo bare;
    bare.setMessage("only a message");
    NotificationContent plain = NotificationPresentation::contentFor(bare);
    EXPECT_EQ(plain.summary, "");
    EXPECT_EQ(plain.body, "only a message");
    bare.setMessage(std::nullopt);
    bare.setSubTitle("only a subtitle");
    EXPECT_EQ(NotificationPresentation::contentFor(bare).body, "only a subtitle");
}

TEST(NotificationPresentation, WhatAClickMeans) {
    using Reaction = NotificationPresentation::Reaction;
    VLNotificationInfo three =
        notification("n", {action("a", "A"), action("b", "B"), action(std::nullopt, "C")});
    auto outcome = [](const std::optional<std::string>& button, const VLNotificationInfo* entry) {
        return NotificationPresentation::outcomeFor(button, entry);
    };
    // A button's own identifier is checked end to end; an action without one names none.
    EXPECT_EQ(outcome("2", &three).actionIdentifier, std::nullopt);
    // Positions and names the request never had, and unknown requests, name no action.
    for (const char* button : {"3", "-1", "01x", "", "99999999999999999999"}) {
        EXPECT_EQ(outcome(button, &three).actionIdentifier, std::nullopt) << button;
        EXPECT_EQ(outcome(button, &three).reaction, Reaction::activated) << button;
    }
    EXPECT_EQ(outcome("action", nullptr).actionIdentifier, std::nullopt);
    EXPECT_EQ(outcome("0", nullptr).actionIdentifier, std::nullopt);
    VLNotificationInfo none = notification("n");
    EXPECT_EQ(outcome("action", &none).actionIdentifier, std::nullopt);
}

TEST(PendingNotifications, EntriesAreKeptPerSenderAndSurviveConcurrentUse) {
    PendingNotifications table;
    table.insert(":1.5", notification("same"));
    table.insert(":1.6", notification("same", {action("x", "X")}));
    table.insert(":1.5", notification("same", {action("y", "Y")}));  // replaces
    table.insert(":1.5", VLNotificationInfo());                      // no identifier: not kept
    EXPECT_EQ(table.count(), 2u);
    auto taken = table.take(":1.5", "same");
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->actions()->front().identifier(), "y");
    EXPECT_FALSE(table.take(":1.5", "same"));
    EXPECT_TRUE(table.contains(":1.6", "same"));

    // Handlers and notification call-backs may reach the table from different threads (up to,
    // not over, the cap of one sender).
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&table, t] {
            for (int i = 0; i < 30; ++i) {
                std::string id = std::to_string(t) + "-" + std::to_string(i);
                table.insert(":1.9", notification(id));
                if (i % 2 == 0) {
                    EXPECT_TRUE(table.take(":1.9", id));
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(table.count(), 1u + 4 * 15);

    // A client that floods the helper: only its newest entries are kept, others are untouched.
    for (size_t i = 0; i < PendingNotifications::kMaxPerSender + 10; ++i) {
        table.insert(":1.66", notification("flood-" + std::to_string(i)));
    }
    EXPECT_EQ(table.count(), 1u + 4 * 15 + PendingNotifications::kMaxPerSender);
    EXPECT_FALSE(table.contains(":1.66", "flood-9"));
    EXPECT_TRUE(table.contains(":1.66", "flood-10"));

    EXPECT_EQ(table.dropSender(":1.66"), PendingNotifications::kMaxPerSender);
    EXPECT_EQ(table.dropSender(":1.9"), 4u * 15);
    EXPECT_EQ(table.count(), 1u);
    EXPECT_TRUE(table.contains(":1.6", "same"));
}

TEST(CorvaHelper, EntriesLastUntilTheUserReactsAndAreKeptPerShell) {
    // What each click sends the shell is checked end to end by the service test.
    LogCapture log;
    HelperUnderTest t;
    EXPECT_TRUE(t.helper.postNotification(notification("one", {action("reply", "Reply")}), ":1.4"));
    EXPECT_TRUE(t.helper.notifications().contains(":1.4", "one"));
    t.helper.didActivateNotification(":1.4", "one", "action", "");
    EXPECT_EQ(t.shellCalls, (std::vector<ShellCallRecord>{{":1.4", "reply", "one"}}));
    EXPECT_FALSE(t.helper.notifications().contains(":1.4", "one"));
    // An activation nobody knows about still reaches the shell, without action.
    t.helper.didActivateNotification(":1.4", "one", "action", "");
    EXPECT_EQ(t.shellCalls.back(), (ShellCallRecord{":1.4", std::nullopt, "one"}));

    // "Close" and a close by the server remove the entry and tell the shell nothing.
    t.helper.postNotification(notification("closed", {action("a", "A")}), ":1.4");
    t.helper.postNotification(notification("gone"), ":1.4");
    t.helper.didActivateNotification(":1.4", "closed", "close", "");
    t.helper.didCloseNotification(":1.4", "gone", true);
    EXPECT_EQ(t.shellCalls.size(), 2u);
    EXPECT_EQ(t.helper.notifications().count(), 0u);

    // Two shells may use the same identifier; each entry is its own.
    t.helper.postNotification(notification("dup", {action("first", "F")}), ":1.4");
    t.helper.postNotification(notification("dup", {action("second", "S")}), ":1.7");
    t.helper.didActivateNotification(":1.7", "dup", "action", "");
    EXPECT_EQ(t.shellCalls.back(), (ShellCallRecord{":1.7", "second", "dup"}));
    EXPECT_TRUE(t.helper.notifications().contains(":1.4", "dup"));
}

TEST(CorvaHelper, NotificationsThatCannotBeShownOrAnswered) {
    LogCapture log;
    HelperUnderTest t;
    // Without identifier no activation could ever be reported: refused, not shown.
    VLNotificationInfo anonymous = notification("x");
    anonymous.setIdentifier(std::nullopt);
    EXPECT_FALSE(t.helper.postNotification(anonymous, ":1.4"));
    EXPECT_EQ(t.poster.deliveries, 0);
    EXPECT_TRUE(log.contains("without identifier"));

    // No notification server: still YES, but nothing is kept for a click that cannot come.
    t.poster.unavailable = true;
    EXPECT_TRUE(t.helper.postNotification(notification("lost"), ":1.4"));
    EXPECT_EQ(t.poster.deliveries, 1);
    EXPECT_EQ(t.helper.notifications().count(), 0u);
}
