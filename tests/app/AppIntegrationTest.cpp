#include <gtest/gtest.h>
#include <gtkmm/entry.h>

#include <filesystem>
#include <regex>

#include "AppHost.h"
#include "FileGuards.h"
#include "TestHome.h"
#include "WidgetLookup.h"
#include "app/NewWebAppDialog.h"
#include "app/VLMainMenu.h"
#include "browser/VLTabViewItem.h"
#include "browser/VLWebEngine.h"
#include "browser/VLWebManager.h"
#include "browser/VLWebViewController.h"
#include "foundation/JsonFile.h"
#include "foundation/Plist.h"
#include "foundation/UserDefaults.h"
#include "preferences/VLSettingsTabViewController.h"
#include "preferences/VLUserStylesViewController.h"
#include "stores/VLBehaviorManager.h"
#include "stores/VLFileManager.h"
#include "stores/VLHistoryManager.h"
#include "stores/VLSettingsManager.h"

namespace {
void writeStore(const std::string& name, const nlohmann::json& value) {
    ASSERT_EQ(JsonFile::save(VLFileManager::getSettingsPath() + name, value), "");
}

nlohmann::json readStore(const std::string& name) {
    return nlohmann::json::parse(readFileBytes(VLFileManager::getSettingsPath() + name));
}

void serveSite() {
    for (const char* path : {"/home", "/a", "/b", "/c", "/d", "/e", "/event"}) {
        servePage(path, "page", std::string("Page ") + path);
    }
}

std::string pageUrl(VLMainWindowController* window, int tab) {
    VLTabViewItem* item = window->tabController().itemAt(tab);
    return item ? item->viewController().webview().url() : "";
}

bool windowShows(VLMainWindowController* window, const std::vector<std::string>& urls) {
    if (window->tabController().tabsCount() != static_cast<int>(urls.size())) {
        return false;
    }
    for (size_t i = 0; i < urls.size(); ++i) {
        if (pageUrl(window, static_cast<int>(i)) != urls[i]) {
            return false;
        }
    }
    return true;
}

// Three saved windows of the site, restored by the given behaviour.
void savedWindows(nlohmann::json behavior) {
    serveSite();
    behavior.update({{"version", 1.1}, {"restoreWindowsAndTabs", true}});
    writeStore("behavior.json", behavior);
    writeStore(
        "restore.json",
        {{"version", 1.1},
         {"window0", {{"url", {"http://site.test/a"}}, {"windowFrame", "{{10, 20}, {700, 500}}"}}},
         {"window1",
          {{"url", {"http://site.test/b", "http://site.test/c"}},
           {"windowFrame", "{{30, 40}, {640, 480}}"}}},
         {"window2",
          {{"url", {"http://site.test/d"}}, {"windowFrame", "{{50, 60}, {600, 400}}"}}}});
}

Size windowSize(VLMainWindowController* window) {
    int width = 0, height = 0;
    window->window().get_size(width, height);
    return Size{double(width), double(height)};
}
}  // namespace

TEST(AppIT, RestoresSavedWindowsAsWindows) {
    savedWindows(nlohmann::json::object());
    AppHost host;
    auto windows = AppHost::windows();
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_TRUE(waitUntil(
        [&] {
            return windowShows(windows[0], {"http://site.test/a"}) &&
                   windowShows(windows[1], {"http://site.test/b", "http://site.test/c"}) &&
                   windowShows(windows[2], {"http://site.test/d"});
        },
        30000));
    // The first window's page started loading before its tab had a label: the title still wins.
    EXPECT_TRUE(
        waitUntil([&] { return windows[0]->tabController().itemAt(0)->label() == "Page /a"; }));
    EXPECT_EQ(windowSize(windows[0]), (Size{700, 500}));
    EXPECT_EQ(windowSize(windows[1]), (Size{640, 480}));
    EXPECT_EQ(windowSize(windows[2]), (Size{600, 400}));
}

TEST(AppIT, RestoresSavedWindowsAsTabsOfTheFrontWindow) {
    savedWindows({{"openTabWindow", true}});
    AppHost host;
    auto windows = AppHost::windows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_TRUE(waitUntil(
        [&] {
            return windowShows(windows[0], {"http://site.test/a", "http://site.test/b",
                                            "http://site.test/c", "http://site.test/d"});
        },
        30000));
}

TEST(AppIT, EnterpriseBuildGoesHomeAtItsConfiguredSize) {
    savedWindows(nlohmann::json::object());
    writeFileBytes(TestHome::bundlePath() + "/Contents/Resources/EnterpriseSettings.plist",
                   Plist::toXml({{"isEnterpriseApp", true},
                                 {"URL", "http://site.test/home"},
                                 {"defaultWindowSize", "800x600"},
                                 {"appName", "Team Mail"}}));
    AppHost host;
    auto windows = AppHost::windows();
    ASSERT_GE(windows.size(), 1u);
    EXPECT_TRUE(waitUntil([&] { return pageUrl(windows[0], 0) == "http://site.test/home"; }, 30000))
        << "goes home whatever was saved";
    EXPECT_EQ(windowSize(windows[0]), (Size{800, 600}));
    EXPECT_EQ(windows[0]->window().get_title(), "Team Mail");
    auto centred = [](VLMainWindowController* window) {
        int x = -1, y = -1;
        window->window().get_position(x, y);
        return x == (1280 - 800) / 2 && y == (800 - 600) / 2;
    };
    EXPECT_TRUE(waitUntil([&] { return centred(windows[0]); }, 5000)) << "on the 1280x800 screen";
    host.app.newWindowClick();
    ASSERT_EQ(AppHost::windows().size(), 2u);
    EXPECT_TRUE(waitUntil(
        [&] { return centred(AppHost::windows()[0]) && centred(AppHost::windows()[1]); }, 5000));
}

TEST(AppIT, MobileVersionMakesAPhoneSizedFirstWindow) {
    writeStore("behavior.json", {{"version", 1.1}, {"mobileVersion", true}});
    AppHost host;
    ASSERT_EQ(AppHost::windows().size(), 1u);
    EXPECT_EQ(windowSize(AppHost::windows()[0]), (Size{320, 400}));
    // And pages present the phone's agent.
    EXPECT_EQ(host.app.menuState().userAgent, "iPhone");
}

TEST(AppIT, UrlOpenEventsFollowOpenLinksIn) {
    serveSite();
    VLSettingsManager::sharedManager().setUrl(std::string("http://site.test/home"));
    // 0 at launch (the URL on the command line), then the other values switched in memory.
    writeStore("behavior.json", {{"version", 1.1}, {"openLinksKey", 0}});
    AppHost host({"http://site.test/event"});
    auto windows = AppHost::windows();
    ASSERT_EQ(windows.size(), 2u) << "0: a new window";
    EXPECT_TRUE(
        waitUntil([&] { return pageUrl(windows[1], 0) == "http://site.test/event"; }, 30000));

    VLBehaviorManager::sharedManager().setOpenLinksIn(1);
    VLMainWindowController* top = host.app.getTopMainController();
    const int tabs = top->tabController().tabsCount();
    host.app.handleURLEvent("http://site.test/e");
    EXPECT_EQ(top->tabController().tabsCount(), tabs + 1) << "1: a new tab";
    EXPECT_TRUE(waitUntil([&] { return pageUrl(top, tabs) == "http://site.test/e"; }, 30000));

    VLBehaviorManager::sharedManager().setOpenLinksIn(2);
    host.app.handleURLEvent("http://site.test/a");
    EXPECT_EQ(top->tabController().tabsCount(), tabs + 1) << "2: the current tab";
    EXPECT_TRUE(waitUntil(
        [&] {
            return top->tabController().selectedWebViewController()->webview().url() ==
                   "http://site.test/a";
        },
        30000));

    VLBehaviorManager::sharedManager().setOpenLinksIn(3);
    const size_t before = AppHost::windows().size();
    host.app.handleURLEvent("http://site.test/b");
    drainMainContext();
    EXPECT_EQ(AppHost::windows().size(), before) << "3: ignored";
    EXPECT_EQ(top->tabController().tabsCount(), tabs + 1);
}

TEST(AppIT, QuitAsksOnlyWithTwoOrMoreWindowsAndSavesWhatIsOpen) {
    serveSite();
    writeStore("behavior.json",
               {{"version", 1.1}, {"warnWindowsClose", true}, {"restoreWindowsAndTabs", true}});
    AppHost host;
    EXPECT_TRUE(host.app.applicationShouldTerminate()) << "one window: no question";

    VLMainWindowController* first = AppHost::windows()[0];
    first->tabController().openUrl("http://site.test/a");
    VLMainWindowController* second = VLMainWindowController::create();
    second->tabController().openUrl("http://site.test/b");
    second->tabController().addNewTab();
    second->tabController().openUrl("http://site.test/c");
    ASSERT_TRUE(waitUntil(
        [&] {
            return windowShows(first, {"http://site.test/a"}) &&
                   windowShows(second, {"http://site.test/b", "http://site.test/c"});
        },
        30000));
    std::string asked;
    answerNextAlert(1, &asked);  // Cancel
    EXPECT_FALSE(host.app.applicationShouldTerminate());
    EXPECT_EQ(asked, "Are you sure you want to quit?");

    VLHistoryManager::sharedManager().addUrl("http://site.test/x", "Visited",
                                             "2024-01-01 00:00:00Z T");
    host.app.applicationWillTerminate();
    EXPECT_EQ(readStore("history.json")["Visited"]["url"], "http://site.test/x");
    nlohmann::json restore = readStore("restore.json");
    EXPECT_EQ(restore["window0"]["url"], (nlohmann::json{"http://site.test/a"}));
    EXPECT_EQ(restore["window1"]["url"],
              (nlohmann::json{"http://site.test/b", "http://site.test/c"}));
    EXPECT_TRUE(restore["window0"]["windowFrame"].is_string());
    EXPECT_FALSE(restore.contains("window2"));
}

TEST(AppIT, QuitWithoutRestoringKeepsOlderEntriesAndACancelledLogoutKeepsSaving) {
    writeStore("restore.json",
               {{"version", 1.1},
                {"window0", {{"url", {"http://old/a"}}, {"windowFrame", "{{0, 0}, {1, 1}}"}}},
                {"window5", {{"url", {"http://old/b"}}}}});
    AppHost host;
    // A logout that the user then cancels saves but leaves the real quit to save again.
    g_signal_emit_by_name(host.app.application()->gobj(), "query-end");
    EXPECT_NE(readStore("settings.json")["hideTitle"], true);
    VLSettingsManager::sharedManager().setHideTitle(true);
    host.app.applicationWillTerminate();
    EXPECT_EQ(readStore("settings.json")["hideTitle"], true);
    nlohmann::json restore = readStore("restore.json");
    EXPECT_EQ(restore["window0"]["url"], (nlohmann::json{"http://old/a"}));
    EXPECT_NE(restore["window0"]["windowFrame"], "{{0, 0}, {1, 1}}") << "only the frame changes";
    EXPECT_EQ(restore["window5"]["url"], (nlohmann::json{"http://old/b"}));
}

TEST(AppIT, ClosingTheOnlyWindowKeepsTheAppUntilReopened) {
    AppHost host;
    VLMainWindowController* window = AppHost::windows()[0];
    window->window().close();
    drainMainContext();
    ASSERT_FALSE(window->window().get_visible());
    host.app.applicationShouldHandleReopen();
    EXPECT_TRUE(window->window().get_visible());
    std::vector<Gtk::Window*> in = host.app.application()->get_windows();
    EXPECT_NE(std::find(in.begin(), in.end(), &window->window()), in.end())
        << "back in the application, which ends with its last window";
}

TEST(AppIT, HistoryAndUserAgentMenus) {
    AppHost host;
    VLMainMenu* menu = host.app.menuFor(AppHost::windows()[0]);
    ASSERT_NE(menu, nullptr);
    menu->rebuildHistoryMenu();
    EXPECT_EQ(VLMainMenu::titles(menu->historyMenu()),
              (std::vector<std::string>{"Back", "Forward", "Home", "-"}));
    VLHistoryManager::sharedManager().addUrl("http://site.test/b", "Bee", "2024-02-01 10:00:00Z T");
    VLHistoryManager::sharedManager().addUrl("http://site.test/a", "Ay", "2024-01-01 10:00:00Z T");
    menu->rebuildHistoryMenu();
    EXPECT_EQ(VLMainMenu::titles(menu->historyMenu()),
              (std::vector<std::string>{"Back", "Forward", "Home", "-", "Ay", "Bee", "-",
                                        "Clear History"}));

    // Clearing also forgets the pages' icons, which name the pages visited.
    VLWebViewController* page = AppHost::windows()[0]->tabController().selectedWebViewController();
    PageHost::server().serve(
        "/iconic", "<!doctype html><title>Iconic</title><link rel=icon href=/i.png>", "text/html");
    serveFile("/i.png", "image/png", redPng());
    page->loadRequest("http://icon.test/iconic");
    auto hasIcon = [] { return pageIconKnown("http://icon.test/iconic"); };
    ASSERT_TRUE(waitUntil(hasIcon));
    host.app.clearHistoryAction();
    EXPECT_TRUE(VLHistoryManager::sharedManager().sortedByDateNames().empty());
    EXPECT_FALSE(hasIcon());

    // A full user-agent string matches no item: "Safari-Mac" is chosen and stored, and pages
    // fall back to the engine's own agent.
    host.app.agentClick("Firefox-Mac");
    EXPECT_EQ(page->customUserAgent(), VLWebManager::sharedManager().userAgent("Firefox-Mac"));
    const std::string full = "Mozilla/5.0 (X11; Linux x86_64) Custom/1.0";
    NotificationCenter::defaultCenter().post("setCustomUserAnget", full);
    EXPECT_EQ(host.app.menuState().userAgent, "Safari-Mac");
    EXPECT_EQ(UserDefaults::standard().stringForKey("lastUserAnget"), "Safari-Mac");
    EXPECT_NE(page->customUserAgent(), VLWebManager::sharedManager().userAgent("Firefox-Mac"));
    EXPECT_NE(page->customUserAgent(), full);
}

TEST(AppIT, NewAppShowsTheWelcomePageThatSetsTheHomePage) {
    serveSite();
    AppHost host;
    VLMainWindowController* window = AppHost::windows()[0];
    VLWebViewController* page = window->tabController().selectedWebViewController();
    // Other pages' attempts to set the home page are refused in the page controller's tests.
    ASSERT_TRUE(waitUntil([&] { return page->webview().title() == "Welcome to Sitebox"; }, 30000));
    page->webview().evaluate(
        "document.getElementById('url').value = 'http://site.test/home'; "
        "document.querySelector('form').submit(); 0");
    EXPECT_TRUE(waitUntil([&] { return page->webview().url() == "http://site.test/home"; }, 30000));
    EXPECT_TRUE(VLSettingsManager::sharedManager().enableJavaScript());
    EXPECT_EQ(readStore("settings.json")["main_url"], "http://site.test/home");
    // ...and keeps the app to that site.
    EXPECT_EQ(readStore("whitelist.json"),
              (nlohmann::json{{"allowAll", false},
                              {"allowPatterns", true},
                              {"allowSubdomains", false},
                              {"pattern", {"://site.test/", ".site.test/"}}}));
}

TEST(AppIT, NewWebAppFromTheWelcomePageMakesAndStartsTheApp) {
    serveSite();
    // The test bundle is the template here.
    writeFileBytes(TestHome::bundlePath() + "/Contents/MacOS/Sitebox", "#!/bin/sh\n");
    std::vector<AppCreator::Result> started;
    NewWebAppDialog::setLauncher([&](const AppCreator::Result& made) { started.push_back(made); });
    AppHost host;
    VLWebViewController* page = AppHost::windows()[0]->tabController().selectedWebViewController();
    ASSERT_TRUE(waitUntil([&] { return page->webview().title() == "Welcome to Sitebox"; }, 30000));
    page->webview().evaluate("document.getElementById('new-app').click(); 0");
    ASSERT_TRUE(waitUntil([] {
        return NewWebAppDialog::current() && NewWebAppDialog::current()->dialog().get_visible();
    }));
    NewWebAppDialog& dialog = *NewWebAppDialog::current();
    dialog.addressEntry().set_text(PageHost::server().url("/home"));
    dialog.nameEntry().set_text("Home");
    dialog.create();
    ASSERT_TRUE(waitUntil([&] { return !started.empty(); }, 30000))
        << dialog.statusLabel().get_text();
    EXPECT_EQ(started[0].name, "Home");
    EXPECT_FALSE(dialog.dialog().get_visible());
}

TEST(AppIT, EveryActionOfTheInterfaceFilesIsRegisteredAndThePreferencesOpenAtTheirPane) {
    AppHost host;
    ASSERT_FALSE(AppHost::windows().empty());
    Gtk::ApplicationWindow& window = AppHost::windows()[0]->window();
    const std::regex actionName(R"(<property name="action-name">([a-z]+)\.([^<]+)</property>)");
    size_t checked = 0;
    for (const auto& file : std::filesystem::directory_iterator(std::string(SITEBOX_SOURCE_DIR) +
                                                                "/resources/bundle/Base.lproj")) {
        const std::string text = readFileBytes(file.path().string());
        for (std::sregex_iterator it(text.begin(), text.end(), actionName), end; it != end; ++it) {
            const std::string scope = (*it)[1], name = (*it)[2];
            const bool registered = scope == "app"   ? host.app.application()->has_action(name)
                                    : scope == "win" ? static_cast<bool>(window.lookup_action(name))
                                                     : false;
            EXPECT_TRUE(registered) << scope << "." << name << " in " << file.path();
            ++checked;
        }
    }
    EXPECT_GT(checked, 20u);

    using Pane = VLSettingsTabViewController::Pane;
    host.app.application()->activate_action("user-styles");
    ASSERT_TRUE(VLSettingsTabViewController::current());
    EXPECT_TRUE(dynamic_cast<VLUserStylesViewController*>(
        VLSettingsTabViewController::current()->visiblePane()));
    host.app.application()->activate_action("preferences");
    EXPECT_EQ(VLSettingsTabViewController::current()->visiblePane(),
              VLSettingsTabViewController::current()->pane(Pane::General));
    // Quitting with the window open keeps what the shown pane was editing.
    widgetIn<Gtk::Entry>(VLSettingsTabViewController::current()->window(), "homePageField")
        .set_text("mail.example.org");
    host.app.applicationWillTerminate();
    EXPECT_EQ(readStore("settings.json")["main_url"], "mail.example.org");
}
