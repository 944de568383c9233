#include <gtest/gtest.h>

#include "foundation/LaunchGate.h"
#include "foundation/NotificationCenter.h"

TEST(NotificationCenter, DeliversByNameWithObjectAndUserInfo) {
    NotificationCenter center;
    std::vector<std::string> seen;
    std::optional<std::string> url;
    std::optional<int> object;
    auto a =
        center.addObserver("reload", [&](const Notification& n) { seen.push_back("a:" + n.name); });
    auto b = center.addObserver("Open Link In New Tab", [&](const Notification& n) {
        url = n.info<std::string>("url");
        object = n.objectAs<int>();
    });
    auto all =
        center.addObserver("", [&](const Notification& n) { seen.push_back("all:" + n.name); });

    center.post("reload");
    center.post("Open Link In New Tab", 7, {{"url", std::string("https://example.com/")}});

    EXPECT_EQ(seen,
              (std::vector<std::string>{"a:reload", "all:reload", "all:Open Link In New Tab"}));
    EXPECT_EQ(url, "https://example.com/");
    EXPECT_EQ(object, 7);
}

TEST(NotificationCenter, ObserverEndsWithItsOwnerEvenDuringAPost) {
    NotificationCenter center;
    int first = 0, second = 0;
    NotificationCenter::Observer later;
    {
        auto scoped = center.addObserver("zoomin", [&](const Notification&) { ++first; });
        center.post("zoomin");
    }
    center.post("zoomin");
    EXPECT_EQ(first, 1);

    // A handler that removes a later observer while the post runs: the removed one is skipped.
    auto killer = center.addObserver("stop", [&](const Notification&) { later.reset(); });
    later = center.addObserver("stop", [&](const Notification&) { ++second; });
    center.post("stop");
    EXPECT_EQ(second, 0);
    EXPECT_EQ(center.observerCount(), 1u);

    // Moving a token keeps the observation alive.
    int moved = 0;
    NotificationCenter::Observer holder;
    {
        auto token = center.addObserver("x", [&](const Notification&) { ++moved; });
        holder = std::move(token);
    }
    center.post("x");
    EXPECT_EQ(moved, 1);

    // Typed reads of the wrong type give nothing instead of throwing.
    Notification n{"n", std::string("text"), {{"flag", true}}};
    EXPECT_EQ(n.objectAs<int>(), std::nullopt);
    EXPECT_EQ(n.info<std::string>("flag"), std::nullopt);
    EXPECT_EQ(n.info<bool>("flag"), true);
}

TEST(LaunchGate, HeldWorkRunsOnceInOrderAndLaterWorkAtOnce) {
    LaunchGate gate;
    std::vector<std::string> ran;
    gate.defer([&] { ran.push_back("second phase"); });
    gate.defer([&] {
        ran.push_back("spell check");
        // Deferred from inside the opening: the gate is open by now.
        gate.defer([&] { ran.push_back("nested"); });
    });
    EXPECT_TRUE(ran.empty());

    gate.open();
    gate.open();
    EXPECT_EQ(ran, (std::vector<std::string>{"second phase", "spell check", "nested"}));

    gate.defer([&] { ran.push_back("late"); });
    EXPECT_EQ(ran.back(), "late");
    EXPECT_EQ(ran.size(), 4u);
}
