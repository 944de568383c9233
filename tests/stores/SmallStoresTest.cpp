#include <gtest/gtest.h>
#include <filesystem>

#include "LogCapture.h"
#include "MainLoopWait.h"
#include "StoreTestSupport.h"
#include "stores/VLBookmarksManager.h"
#include "stores/VLHistoryManager.h"
#include "stores/VLRestoreManager.h"
#include "stores/VLWebPageZoomManager.h"

TEST(VLRestoreManager, OldLayoutIsConvertedAtStart) {
    givenFile("restore.json",
              R"({"window0":{"0":"https://a.example/","1":"https://b.example/"},"other":{"x":"y"},)"
              R"("window1":{"url":["https://c.example/"],"windowFrame":"{{1, 2}, {3, 4}}"}})");
    {
        Fresh<VLRestoreManager> restore;
        auto urls = restore->getUrlsForKey("window0");
        ASSERT_TRUE(urls);
        std::sort(urls->begin(), urls->end());
        EXPECT_EQ(*urls, (std::vector<std::string>{"https://a.example/", "https://b.example/"}));
        // Only "window" keys are converted.
        EXPECT_EQ(restore->getUrlsForKey("other"), std::nullopt);
        // An entry already in the new layout stays as it is.
        EXPECT_EQ(restore->getUrlsForKey("window1"),
                  (std::vector<std::string>{"https://c.example/"}));
        EXPECT_EQ(restore->windowsFrameString("window1"), "{{1, 2}, {3, 4}}");
    }
    nlohmann::json saved = fileJson("restore.json");
    EXPECT_EQ(saved["version"], 1.1);
    EXPECT_EQ(saved["window0"]["url"].size(), 2u);
    EXPECT_EQ(saved["window0"]["0"], "https://a.example/") << "other members stay";

    // A new, empty store writes only the version.
    std::filesystem::remove(settingsFile("restore.json"));
    Fresh<VLRestoreManager> empty;
    EXPECT_EQ(fileJson("restore.json"), (nlohmann::json{{"version", 1.1}}));
}

TEST(VLRestoreManager, KeysEntriesAndClear) {
    givenFile("restore.json",
              R"({"version":1.1,"window10":{"url":["https://j/"]},"window2":{"url":["https://b/"],)"
              R"("windowFrame":"{{0, 0}, {800, 600}}"},"window0":{"url":["https://a/", 5]},)"
              R"("extra":{},"window1":"broken"})");
    LogCapture log;
    Fresh<VLRestoreManager> restore;
    EXPECT_EQ(restore->windowKeys(),
              (std::vector<std::string>{"window0", "window1", "window2", "window10", "extra"}));
    EXPECT_EQ(restore->getUrlsForKey("window0"), (std::vector<std::string>{"https://a/"}));
    EXPECT_EQ(restore->windowsFrameString("window2"), "{{0, 0}, {800, 600}}");
    EXPECT_EQ(restore->windowsFrameString("window0"), std::nullopt);

    // An entry of the wrong type is replaced by an empty one when touched.
    EXPECT_EQ(restore->getUrlsForKey("window1"), std::nullopt);
    EXPECT_TRUE(log.contains("\"window1\" is not an object"));

    // Reading an unknown key adds an empty entry that the next save writes.
    EXPECT_EQ(restore->getUrlsForKey("window7"), std::nullopt);
    restore->addUrls({}, "window2");
    EXPECT_EQ(restore->getUrlsForKey("window2"), (std::vector<std::string>{"https://b/"}));
    restore->addUrls({"https://x/"}, "");
    restore->setWindowFrameString("", "window2");
    EXPECT_EQ(restore->windowsFrameString("window2"), "{{0, 0}, {800, 600}}");
    EXPECT_TRUE(restore->save());
    EXPECT_EQ(fileJson("restore.json")["window7"], nlohmann::json::object());
    EXPECT_FALSE(fileJson("restore.json").contains(""));

    restore->clear();
    EXPECT_TRUE(restore->windowKeys().empty());
    EXPECT_TRUE(restore->save());
    EXPECT_EQ(fileJson("restore.json"), (nlohmann::json{{"version", 1.1}}));
}

TEST(VLWebPageZoomManager, DefaultIsSavedOnlyForAnEmptyStore) {
    EXPECT_EQ(Fresh<VLWebPageZoomManager>()->zoomValue(), 1.0);
    EXPECT_EQ(fileJson("webpagezoom.json"), (nlohmann::json{{"currentzoomvalue", 1.0}}));

    // No value or one of the wrong type: none; outside the page zoom limits: the nearest limit.
    for (auto [file, zoom] : std::vector<std::pair<const char*, std::optional<double>>>{
             {R"({"other":1})", std::nullopt},
             {R"({"currentzoomvalue":"big"})", std::nullopt},
             {R"({"currentzoomvalue":40})", 3.0},
             {R"({"currentzoomvalue":0.01})", 0.5}}) {
        givenFile("webpagezoom.json", file);
        EXPECT_EQ(Fresh<VLWebPageZoomManager>()->zoomValue(), zoom) << file;
    }
}

TEST(VLBookmarksManager, NamesSortedPlainlyAndUnique) {
    Fresh<VLBookmarksManager> bookmarks;
    bookmarks->addBookMark("beta", "https://b/");
    bookmarks->addBookMark("Alpha", "https://a/");
    bookmarks->addBookMark("alpha", "https://a/");
    bookmarks->addBookMark("Zed", "https://z/");
    bookmarks->addBookMark("beta", "https://b2/");
    EXPECT_EQ(bookmarks->bookmarks(), (std::vector<std::string>{"Alpha", "Zed", "alpha", "beta"}));
    EXPECT_EQ(bookmarks->getUrlByName("beta"), "https://b2/");
    bookmarks->removeBookmark("Zed");
    EXPECT_EQ(bookmarks->bookmarks(), (std::vector<std::string>{"Alpha", "alpha", "beta"}));
}

TEST(VLHistoryManager, TitleKeyedEntriesSortedByDate) {
    givenFile("history.json",
              R"({"Old":{"url":"https://old/","date":"2023-01-01 09:00:00+00:00 T"},)"
              R"("Broken":"text","NoDate":{"url":"https://n/"}})");
    Fresh<VLHistoryManager> history;
    history->addUrl("https://new/", "New", "2024-06-01 10:00:00+02:00 T");
    history->addUrl("https://mid/", "Mid", "2023-07-01 10:00:00+02:00 T");
    history->addUrl("https://untitled/", "", "2024-01-01 00:00:00+00:00 T");
    history->addUrl("", "Empty url", "2024-01-01 00:00:00+00:00 T");
    EXPECT_EQ(history->sortedByDateNames(), (std::vector<std::string>{"Old", "Mid", "New"}));

    // A later visit to a page of the same title replaces the entry.
    history->addUrl("https://other-old/", "Old", "2025-01-01 00:00:00+00:00 T");
    EXPECT_EQ(history->getUrlByName("Old"), "https://other-old/");
    EXPECT_EQ(history->sortedByDateNames().back(), "Old");
    EXPECT_EQ(history->getUrlByName("Broken"), std::nullopt);

    history->clearHistory();
    EXPECT_TRUE(history->sortedByDateNames().empty());
}

TEST(VLHistoryManager, BookmarksHistoryAndClearingSurviveAKill) {
    ASSERT_TRUE(runInKilledChild([] {
        Fresh<VLBookmarksManager>()->addBookMark("Kept", "https://k/");
        Fresh<VLBookmarksManager>()->removeBookmark("Absent");
        Fresh<VLHistoryManager> history;
        history->setSaveDelay(20);
        history->addUrl("https://a/", "A", "2024-01-01 00:00:00+00:00 T");
        history->addUrl("https://b/", "B", "2024-01-02 00:00:00+00:00 T");
        waitUntil([] { return std::filesystem::exists(settingsFile("history.json")); }, 5000);
    }));
    EXPECT_EQ(Fresh<VLBookmarksManager>()->getUrlByName("Kept"), "https://k/");
    EXPECT_EQ(Fresh<VLHistoryManager>()->sortedByDateNames(), (std::vector<std::string>{"A", "B"}));

    ASSERT_TRUE(runInKilledChild([] {
        Fresh<VLHistoryManager> history;
        history->addUrl("https://c/", "C", "2024-01-03 00:00:00+00:00 T");
        history->clearHistory();
    }));
    EXPECT_TRUE(Fresh<VLHistoryManager>()->sortedByDateNames().empty());
}
