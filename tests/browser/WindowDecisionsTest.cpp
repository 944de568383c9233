#include <gtest/gtest.h>

#include "browser/FindSteps.h"
#include "browser/TabOrder.h"
#include "browser/UrlBarState.h"
#include "browser/WindowRules.h"

TEST(TabOrder, ReturnToPriorSelectsThePreviouslySelectedTab) {
    int a = 0, b = 0, c = 0, d = 0;
    TabOrder order;
    order.didSelect(&a);
    order.didSelect(&b);
    order.didSelect(&c);
    order.didSelect(&a);  // a moves to the end
    EXPECT_EQ(order.order(), (std::vector<TabOrder::Tab>{&b, &c, &a}));

    // Closing the selected a returns to c (selected before it), not a neighbour.
    EXPECT_EQ(order.willClose(&a, true), &c);
    EXPECT_EQ(order.order(), (std::vector<TabOrder::Tab>{&b, &c}));
    // A tab never selected is not in the order.
    EXPECT_EQ(order.willClose(&d, true), &c);
    // Without returnToPrior the order is left for the tab bar's own choice.
    EXPECT_EQ(order.willClose(&c, false), std::nullopt);
    EXPECT_EQ(order.order().size(), 2u);
    order.forget(&c);
    EXPECT_EQ(order.willClose(&b, true), std::nullopt) << "nothing left to return to";
}

// The summary, padlock and editing text are checked on the real field in the window tests.
TEST(UrlBarState, HostlessAddressesAndTheLoadAction) {
    UrlBarState bar;
    // Without a host the whole address shows; an unparsable one leaves the host as it was.
    bar.setURLString("file:///home/user/page.html");
    EXPECT_EQ(bar.hostName(), "file:///home/user/page.html");
    bar.setURLString("about:blank");
    EXPECT_EQ(bar.hostName(), "about:blank");
    bar.setURLString("not a url");
    EXPECT_EQ(bar.hostName(), "about:blank");
    EXPECT_EQ(bar.urlString(), "not a url");

    EXPECT_STREQ(bar.loadActionNotification(), "reload");
    bar.setLoadingState(true);
    EXPECT_STREQ(bar.loadActionNotification(), "stop");
}

TEST(WindowRules, UserAgentForANewPage) {
    EXPECT_EQ(WindowRules::userAgentKeyForNewPage(false, std::nullopt), "Safari-Mac");
    EXPECT_EQ(WindowRules::userAgentKeyForNewPage(false, std::string("")), "Safari-Mac");
    EXPECT_EQ(WindowRules::userAgentKeyForNewPage(false, std::string("Firefox-Mac")),
              "Firefox-Mac");
    EXPECT_EQ(WindowRules::userAgentKeyForNewPage(true, std::string("Firefox-Mac")), "iPhone");
}

// Counting and stepping forward are checked on the real find bar in the page panel tests.
TEST(FindSteps, PreviousWrapsAndClearingForgetsTheCount) {
    FindSteps steps;
    steps.searched(3);
    std::vector<long> previous;
    for (int i = 0; i < 4; ++i) {
        previous.push_back(steps.previous());
    }
    EXPECT_EQ(previous, (std::vector<long>{2, 0, 1, 2}));

    steps.cleared();
    EXPECT_EQ(steps.label(), "");
    EXPECT_EQ(steps.count(), 0);
}
