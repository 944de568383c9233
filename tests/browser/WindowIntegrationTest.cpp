#include <gtest/gtest.h>
#include <gtkmm/button.h>

#include "BrowserTestSupport.h"
#include "FinalizeWatch.h"
#include "LogCapture.h"
#include "browser/VLBookmarkRemoveViewController.h"
#include "browser/VLBookmarkView.h"
#include "browser/VLBookmarkViewController.h"
#include "browser/VLMainWindowController.h"
#include "browser/VLTabViewItem.h"

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include "stores/VLBehaviorManager.h"
#include "stores/VLBookmarksManager.h"
#include "stores/VLSettingsManager.h"

namespace {
VLMainWindowController* newWindow() {
    prepareBrowserTest();
    VLMainWindowController* window = VLMainWindowController::create();
    EXPECT_NE(window, nullptr);
    return window;
}

bool loaded(VLWebViewController* page, const std::string& path) {
    return page && page->webview().url().find(path) != std::string::npos &&
           !webkit_web_view_is_loading(page->webview().webView());
}

bool waitLoaded(VLMainWindowController* window, const std::string& path) {
    return waitUntil(
        [&] { return loaded(window->tabController().selectedWebViewController(), path); }, 20000);
}

// The engine's web processes that this test process started.
int webProcesses() {
    const std::string parent = "\nPPid:\t" + std::to_string(getpid()) + "\n";
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream file(entry.path() / "status");
        const std::string status((std::istreambuf_iterator<char>(file)), {});
        count += status.rfind("Name:\tWebKitWebProces", 0) == 0 &&
                 status.find(parent) != std::string::npos &&
                 status.find("State:\tZ") == std::string::npos;
    }
    return count;
}
}  // namespace

TEST(MainWindowIT, TabRowShowsForTwoTabsAndReturnToPriorGoesBack) {
    VLMainWindowController* window = newWindow();
    VLTabViewController& tabs = window->tabController();
    EXPECT_FALSE(tabs.tabBarVisible());
    tabs.addNewTab();
    EXPECT_TRUE(tabs.tabBarVisible());
    EXPECT_EQ(tabs.selectedIndex(), 1);
    // A closed tab's web view is freed, not only destroyed.
    auto freed = watchFinalize(tabs.selectedWebViewController()->webview().webView());
    tabs.removeCurrentTab();
    EXPECT_FALSE(tabs.tabBarVisible());
    EXPECT_TRUE(waitUntil([&] { return *freed; }));

    VLSettingsManager::sharedManager().setReturnToPrior(true);
    for (int i = 1; i <= 3; ++i) {
        tabs.addNewTab();
    }
    VLTabViewItem* second = tabs.itemAt(1);
    tabs.selectTab(1);
    tabs.selectTab(3);
    // Closing tab 3 goes back to the tab selected before it (1), not its neighbour (2).
    tabs.removeCurrentTab();
    EXPECT_EQ(tabs.itemAt(tabs.selectedIndex()), second);

    VLSettingsManager::sharedManager().setReturnToPrior(false);
    tabs.selectTab(0);
    tabs.selectTab(2);
    tabs.removeCurrentTab();
    EXPECT_NE(tabs.selectedIndex(), 0) << "without it the notebook picks a neighbour";
}

TEST(MainWindowIT, PageOpenedTabsFollowTheBehaviourFlags) {
    servePage("/opener", "", "Opener");
    servePage("/child", "", "Child");
    VLSettingsManager::sharedManager().setBlockPopupWindow(false);  // scripts may open windows
    VLBehaviorManager& behavior = VLBehaviorManager::sharedManager();
    behavior.setOpenTabInsteadWindow(true);
    VLSettingsManager::sharedManager().setSelectNewTab(false);
    VLMainWindowController* window = newWindow();
    VLTabViewController& tabs = window->tabController();
    tabs.openUrl("http://site.test/opener");
    ASSERT_TRUE(waitLoaded(window, "/opener"));

    auto openChild = [&] {
        tabs.itemAt(0)->viewController().webview().evaluate(
            "window.open('http://site.test/child'); 0");
    };
    // Not in the background: the new tab is selected although selectNewTab is off.
    openChild();
    ASSERT_TRUE(waitUntil([&] { return tabs.tabsCount() == 2; }));
    EXPECT_EQ(tabs.selectedIndex(), 1);
    EXPECT_FALSE(VLSettingsManager::sharedManager().selectNewTab()) << "the setting is kept";

    // In the background: selected only when selectNewTab is on.
    behavior.setOpenOtherAppInBackground(true);
    tabs.selectTab(0);
    openChild();
    ASSERT_TRUE(waitUntil([&] { return tabs.tabsCount() == 3; }));
    EXPECT_EQ(tabs.selectedIndex(), 0);

    // Tabs off (setOpenOtherAppInBackground had turned them on): a window of its own.
    behavior.setOpenTabInsteadWindow(false);
    const size_t windows = VLMainWindowController::openControllers().size();
    openChild();
    ASSERT_TRUE(
        waitUntil([&] { return VLMainWindowController::openControllers().size() == windows + 1; }));
    VLMainWindowController* made = VLMainWindowController::openControllers().back();
    EXPECT_TRUE(waitLoaded(made, "/child"));
    EXPECT_EQ(made->tabController().tabsCount(), 1);
}

TEST(MainWindowIT, PageCommandsReachTheSelectedTabOfEveryWindow) {
    servePage("/p", "", "P");
    auto reloads = [] { return PageHost::server().requestCount("/p"); };
    VLMainWindowController* first = newWindow();
    VLMainWindowController* second = newWindow();
    for (VLMainWindowController* window : {first, second}) {
        window->tabController().openUrl("http://site.test/p");
        window->tabController().addNewTab();
        window->tabController().openUrl("http://site.test/p");
    }
    ASSERT_TRUE(waitUntil([&] { return reloads() == 4u; }, 20000));
    for (VLMainWindowController* window : {first, second}) {
        ASSERT_TRUE(waitLoaded(window, "/p"));
    }

    NotificationCenter::defaultCenter().post("zoomin");
    for (VLMainWindowController* window : {first, second}) {
        VLTabViewController& tabs = window->tabController();
        EXPECT_NEAR(tabs.selectedWebViewController()->currentZoomFactor(), 1.2, 1e-9);
        EXPECT_NEAR(tabs.itemAt(0)->viewController().currentZoomFactor(), 1.0, 1e-9);
    }
    NotificationCenter::defaultCenter().post("reload");
    EXPECT_TRUE(waitUntil([&] { return reloads() == 6u; }, 20000)) << "one reload per window";
    drainMainContext();
    EXPECT_EQ(reloads(), 6u);
}

TEST(MainWindowIT, TabsShareOneWebProcess) {
    servePage("/tab", "", "Tab");
    VLMainWindowController* window = newWindow();
    VLTabViewController& tabs = window->tabController();
    tabs.openUrl("http://site.test/tab?1");
    tabs.addNewTab();
    tabs.openUrl("http://site.test/tab?2");
    ASSERT_TRUE(waitUntil(
        [&] {
            return loaded(&tabs.itemAt(0)->viewController(), "/tab?1") &&
                   loaded(&tabs.itemAt(1)->viewController(), "/tab?2");
        },
        20000));
    EXPECT_EQ(webProcesses(), 1);
}

TEST(MainWindowIT, ClosingTheLastWindowHidesTheApp) {
    VLMainWindowController* window = newWindow();
    window->tabController().addNewTab();
    VLSettingsManager::sharedManager().setConfirmColseTabs(true);
    // Only window, closeApplication off: hidden, no question asked.
    window->window().close();
    drainMainContext();
    EXPECT_FALSE(window->window().get_visible());
    ASSERT_EQ(VLMainWindowController::openControllers().size(), 1u);
    EXPECT_EQ(window->tabController().tabsCount(), 2) << "the pages stay alive";

    VLMainWindowController::unhideApplication();
    EXPECT_TRUE(window->window().get_visible());
    VLBehaviorManager::sharedManager().setCloseApplication(true);
    VLSettingsManager::sharedManager().setConfirmColseTabs(false);
    window->window().close();
    drainMainContext();
    EXPECT_TRUE(VLMainWindowController::openControllers().empty());
}

TEST(MainWindowIT, ClosingAsksOnlyWithTwoOrMoreTabs) {
    VLSettingsManager::sharedManager().setConfirmColseTabs(true);
    VLMainWindowController* keep = newWindow();  // so the others are not the last window
    VLMainWindowController* single = newWindow();
    auto freed =
        watchFinalize(single->tabController().selectedWebViewController()->webview().webView());
    single->window().close();  // one tab: closes without asking
    drainMainContext();
    EXPECT_EQ(VLMainWindowController::openControllers().size(), 1u);
    EXPECT_TRUE(waitUntil([&] { return *freed; })) << "a closed window frees its pages";

    VLMainWindowController* several = newWindow();
    several->tabController().addNewTab();
    std::string asked;
    answerNextAlert(1, &asked);  // Cancel
    several->window().close();
    EXPECT_TRUE(waitUntil([&] { return !asked.empty(); }));
    EXPECT_EQ(asked, "Are you sure you want to quit?");
    EXPECT_EQ(VLMainWindowController::openControllers().size(), 2u);
    EXPECT_EQ(several->tabController().tabsCount(), 2) << "Cancel keeps every tab";

    answerNextAlert(0);  // Quit
    several->window().close();
    EXPECT_TRUE(waitUntil([&] { return VLMainWindowController::openControllers().size() == 1; }));
    EXPECT_EQ(VLMainWindowController::openControllers(),
              std::vector<VLMainWindowController*>{keep});
}

TEST(MainWindowIT, AddressFieldSummaryAndTypedAddresses) {
    servePage("/typed", "", "Typed");
    VLMainWindowController* window = newWindow();
    VLURLBarField& field = window->urlTextField();
    window->needChangeUrl(std::string("https://a.b/c"));
    window->changeSecureStatus(true);
    EXPECT_EQ(field.hostLabel().get_text(), "a.b");
    EXPECT_TRUE(field.padlock().get_visible());
    EXPECT_EQ(field.entry().get_text(), "");

    window->needChangeUrl(std::string("http://plain.test/page"));
    window->changeSecureStatus(false);
    EXPECT_EQ(field.hostLabel().get_text(), "plain.test");
    EXPECT_FALSE(field.padlock().get_visible());

    // Editing shows the whole address; Return opens what was typed and ends editing.
    window->window().present();
    field.beginEditing();
    drainMainContext();
    EXPECT_EQ(field.entry().get_text(), "http://plain.test/page");
    EXPECT_FALSE(field.summary().get_visible());
    field.entry().set_text("http://site.test/typed");
    field.entry().activate();
    EXPECT_TRUE(field.summary().get_visible());
    EXPECT_TRUE(waitLoaded(window, "/typed"));
    EXPECT_TRUE(waitUntil([&] { return field.hostLabel().get_text() == "site.test"; }));

    // The reload/stop button posts for every window.
    int posted = 0;
    auto observer = NotificationCenter::defaultCenter().addObserver(
        "reload", [&](const Notification&) { ++posted; });
    field.loadAction();
    EXPECT_EQ(posted, 1);
}

TEST(MainWindowIT, BookmarksAddedAndRemovedShowInEveryWindow) {
    servePage("/marked", "", "Marked page");
    VLSettingsManager::sharedManager().setShowBookmarkBar(true);
    VLMainWindowController* first = newWindow();
    VLMainWindowController* second = newWindow();
    first->tabController().openUrl("http://site.test/marked");
    ASSERT_TRUE(waitUntil(
        [&] {
            return loaded(first->tabController().selectedWebViewController(), "/marked") &&
                   first->tabController().selectedWebViewController()->webview().title() ==
                       "Marked page";
        },
        20000));

    first->addBookmark();
    VLBookmarkViewController* add = first->tabController().addPopover();
    ASSERT_NE(add, nullptr);
    EXPECT_TRUE(add->get_visible());
    EXPECT_EQ(add->nameTextField().get_text(), "Marked page");
    add->nameTextField().set_text("My mark");
    add->okClick();
    EXPECT_EQ(VLBookmarksManager::sharedManager().getUrlByName("My mark"),
              "http://site.test/marked");
    for (VLMainWindowController* window : {first, second}) {
        EXPECT_TRUE(waitUntil([&] {
            return window->tabController().bookmarkView().buttonTitles() ==
                   std::vector<std::string>{"My mark"};
        })) << "every window's bar";
    }

    second->removeBookmark();
    VLBookmarkRemoveViewController* remove = second->tabController().removePopover();
    ASSERT_NE(remove, nullptr);
    EXPECT_EQ(remove->comboBookmarks().get_active_text(), "My mark");
    remove->removeClick();
    EXPECT_EQ(VLBookmarksManager::sharedManager().getUrlByName("My mark"), std::nullopt);
    for (VLMainWindowController* window : {first, second}) {
        EXPECT_TRUE(waitUntil(
            [&] { return window->tabController().bookmarkView().buttonTitles().empty(); }));
    }

    // The bar opens a bookmark in the selected tab.
    VLBookmarksManager::sharedManager().addBookMark("Again", "http://site.test/marked");
    NotificationCenter::defaultCenter().post("showBookmark");
    ASSERT_TRUE(
        waitUntil([&] { return !second->tabController().bookmarkView().buttonTitles().empty(); }));
    second->tabController().bookmarkView().buttons().front()->clicked();
    EXPECT_TRUE(waitLoaded(second, "/marked"));

    // Many bookmarks scroll inside the bar; they never make the window wider.
    for (int i = 0; i < 60; ++i) {
        VLBookmarksManager::sharedManager().addBookMark("Bookmark number " + std::to_string(i),
                                                        "http://site.test/" + std::to_string(i));
    }
    NotificationCenter::defaultCenter().post("showBookmark");
    ASSERT_TRUE(waitUntil(
        [&] { return second->tabController().bookmarkView().buttonTitles().size() == 61; }));
    int minimum = 0;
    int natural = 0;
    second->window().get_preferred_width(minimum, natural);
    EXPECT_LT(minimum, 1000);
}

TEST(MainWindowIT, WindowColourFollowsThePageAndHiddenTitleBarShowsButtonsOnHover) {
    servePage("/red", "<style>html, body { background: rgb(200, 30, 30); margin: 0; }</style>",
              "Red");
    VLMainWindowController* window = newWindow();
    window->tabController().openUrl("http://site.test/red");
    ASSERT_TRUE(waitLoaded(window, "/red"));
    // Loading changes post the colour update; the snapshot of the top strip decides it.
    EXPECT_TRUE(waitUntil(
        [&] {
            const Color& color = window->window().windowColor();
            return std::abs(color.red() - 200 / 255.0) < 0.02 && color.green() < 0.2;
        },
        10000));

    // A snapshot that fails (the page's process is gone) leaves the colour as it is.
    {
        LogCapture log;
        webkit_web_view_terminate_web_process(
            window->tabController().selectedWebViewController()->webview().webView());
        window->updateWindowColor();
        ASSERT_TRUE(
            waitUntil([&] { return log.contains("snapshot for the window colour failed"); }));
        drainMainContext();
        EXPECT_GT(window->window().windowColor().red(), 0.7);
        EXPECT_LT(window->window().windowColor().green(), 0.2) << "not painted white";
    }

    // With the setting off, the colour stays.
    VLSettingsManager::sharedManager().setAutoWindowColor(false);
    window->window().setWindowColor(Color::rgb(0, 0, 1));
    NotificationCenter::defaultCenter().post("UpdateWindowBackgroundColorNotification");
    drainMainContext();
    EXPECT_EQ(window->window().windowColor(), Color::rgb(0, 0, 1));

    // Hiding the title bar: no decorations, the window buttons in a 70x22 group shown on hover.
    VLSettingsManager::sharedManager().setHideTitlebar(true);
    NotificationCenter::defaultCenter().post("TitlebarVisibilityChangeNotification", {},
                                             {{"TitlebarVisibility", std::any(true)}});
    EXPECT_FALSE(window->window().get_decorated());
    Gtk::EventBox& group = window->window().buttonWrapperView();
    EXPECT_TRUE(group.get_visible());
    drainMainContext();
    EXPECT_EQ(group.get_allocated_width(), 70);
    EXPECT_EQ(group.get_allocated_height(), 22);
    EXPECT_EQ(group.get_opacity(), 0);
    auto cross = [&](GdkEventType type) {
        GdkEventCrossing event{};
        event.type = type;
        event.window = group.get_window()->gobj();
        event.detail = GDK_NOTIFY_ANCESTOR;
        group.event(reinterpret_cast<GdkEvent*>(&event));
        return group.get_opacity();
    };
    EXPECT_EQ(cross(GDK_ENTER_NOTIFY), 1);
    EXPECT_EQ(cross(GDK_LEAVE_NOTIFY), 0);
    // The toolbar stays reachable inside the window.
    EXPECT_TRUE(window->window().headerBar().get_visible());
    EXPECT_NE(window->window().headerBar().get_parent(), nullptr);

    NotificationCenter::defaultCenter().post("TitlebarVisibilityChangeNotification", {},
                                             {{"TitlebarVisibility", std::any(false)}});
    EXPECT_TRUE(window->window().get_decorated());
    EXPECT_FALSE(group.get_visible());
}
