#include <gtest/gtest.h>
#include <sys/stat.h>

#include "LogCapture.h"
#include "StoreTestSupport.h"
#include "foundation/JsonFile.h"
#include "stores/VLBookmarksManager.h"
#include "stores/VLHistoryManager.h"
#include "stores/VLShortcutManager.h"
#include "stores/VLWebPageZoomManager.h"

TEST(VLManager, MalformedFileStartsEmptyAndIsReplacedOnSave) {
    const std::vector<std::string> badFiles = {"{\"a\":", "\xef\xbb\xbfnull garbage", "[1,2,3]",
                                               "\"text\"", std::string(5000, '{')};
    for (const std::string& bad : badFiles) {
        givenFile("history.json", bad);
        LogCapture log;
        Fresh<VLHistoryManager> history;
        EXPECT_TRUE(history->json().empty()) << bad.substr(0, 20);
        EXPECT_FALSE(log.lines().empty()) << "a bad file must be logged: " << bad.substr(0, 20);
        EXPECT_EQ(readFileBytes(settingsFile("history.json")), bad) << "left on disk until save";
        history->addUrl("https://a.example/", "A", "2024-01-01 10:00:00+00:00 T");
        EXPECT_TRUE(history->save());
        EXPECT_EQ(fileJson("history.json")["A"]["url"], "https://a.example/");
    }
}

TEST(VLManager, SpecialOrOversizedFilesAreNeitherReadNorOverwritten) {
    // A FIFO would block a plain read for ever.
    ASSERT_EQ(mkfifo(settingsFile("history.json").c_str(), 0600), 0);
    LogCapture log;
    EXPECT_TRUE(Fresh<VLHistoryManager>()->json().empty());
    EXPECT_TRUE(log.contains("not a regular file"));

    const std::string big = settingsFile("webpagezoom.json");
    givenFile("webpagezoom.json", "{");
    ASSERT_EQ(truncate(big.c_str(), JsonFile::kMaxFileBytes + 1), 0);  // sparse
    EXPECT_EQ(Fresh<VLWebPageZoomManager>()->zoomValue(), 1.0);
    EXPECT_TRUE(log.contains("larger than"));
    EXPECT_EQ(std::filesystem::file_size(big), JsonFile::kMaxFileBytes + 1)
        << "not replaced by the default until something is saved";

    Fresh<VLBookmarksManager>()->addBookMark("Home", "https://example.com/");
    struct stat info {};
    ASSERT_EQ(stat(settingsFile("bookmark.json").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(VLManager, FailedSaveKeepsThePreviousFile) {
    {
        Fresh<VLBookmarksManager> bookmarks;
        bookmarks->addBookMark("Home", "https://example.com/");
        ASSERT_TRUE(bookmarks->save());
    }
    const std::string before = readFileBytes(settingsFile("bookmark.json"));
    Fresh<VLBookmarksManager> bookmarks;
    {
        FileSizeLimit fullDisk(64);
        LogCapture log;
        bookmarks->addBookMark("Big", std::string(100000, 'u'));  // saved at once: fails
        EXPECT_TRUE(log.contains("not saved"));
        EXPECT_FALSE(bookmarks->save());
    }
    EXPECT_EQ(readFileBytes(settingsFile("bookmark.json")), before);

    UnwritableFolder readOnly(VLFileManager::getSettingsPath());
    if (readOnly.active()) {
        EXPECT_FALSE(bookmarks->save());
        EXPECT_EQ(readFileBytes(settingsFile("bookmark.json")), before);
    }
}

TEST(VLManager, StoreKeepsItsPathAndWritesAfterTheFolderReturns) {
    Fresh<VLBookmarksManager> bookmarks;
    const std::string path = bookmarks->getPath();
    EXPECT_EQ(path, VLFileManager::getSettingsPath() + "/bookmark.json");
    std::filesystem::remove_all(VLFileManager::getSettingsPath());
    bookmarks->addBookMark("A", "https://a/");
    EXPECT_TRUE(bookmarks->save());
    EXPECT_EQ(bookmarks->getPath(), path);
    EXPECT_EQ(fileJson("bookmark.json")["A"], "https://a/");
}

TEST(VLShortcutManager, ExactLookupSaveAndReload) {
    {
        VLShortcutManager shortcuts;
        shortcuts.setShortCut("gh", std::string("https://github.com/"));
        shortcuts.setShortCut("", std::string("https://ignored/"));
        shortcuts.setShortCut("mail", std::string("https://mail.example.com/"));
        shortcuts.setShortCut("gone", std::string("https://x/"));
        shortcuts.setShortCut("gone", std::nullopt);
        EXPECT_EQ(shortcuts.findUrlForShortcut("gh"), "https://github.com/");
        EXPECT_EQ(shortcuts.findUrlForShortcut("GH"), std::nullopt);
        EXPECT_EQ(shortcuts.findUrlForShortcut("gh/issues"), std::nullopt);
        EXPECT_EQ(shortcuts.findUrlForShortcut(""), std::nullopt);
        EXPECT_EQ(shortcuts.findUrlForShortcut("gone"), std::nullopt);
        EXPECT_TRUE(shortcuts.saveJson());
    }
    VLShortcutManager reloaded;
    EXPECT_EQ(reloaded.shortcuts(), (std::vector<std::string>{"gh", "mail"}));
    EXPECT_EQ(reloaded.urls(),
              (std::vector<std::string>{"https://github.com/", "https://mail.example.com/"}));

    givenFile("shortcuts.json", R"({"ok":"https://ok/","bad":42})");
    VLShortcutManager mixed;
    EXPECT_EQ(mixed.findUrlForShortcut("ok"), "https://ok/");
    EXPECT_EQ(mixed.findUrlForShortcut("bad"), std::nullopt);
    EXPECT_EQ(mixed.shortcuts(), std::vector<std::string>{"ok"});
}
