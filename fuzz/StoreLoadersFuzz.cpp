// Every store loads whatever bytes its file holds, answers its getters and saves.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "stores/VLBehaviorManager.h"
#include "stores/VLBookmarksManager.h"
#include "stores/VLFileManager.h"
#include "stores/VLHistoryManager.h"
#include "stores/VLRestoreManager.h"
#include "stores/VLSettingsManager.h"
#include "stores/VLShortcutManager.h"
#include "stores/VLWebPageZoomManager.h"

namespace {
template <class Store>
void exercise(const std::string& file, const uint8_t* data, size_t size, void (*use)(Store&)) {
    fuzzWriteFile(VLFileManager::getSettingsPath() + file, data, size);
    Store store;
    store.init();
    use(store);
    store.save();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzEnvironmentInit();
    exercise<VLBehaviorManager>("behavior.json", data, size, [](VLBehaviorManager& s) {
        (void)s.popOverSize();
        (void)s.openLinksIn();
    });
    exercise<VLRestoreManager>("restore.json", data, size, [](VLRestoreManager& s) {
        for (const std::string& key : s.windowKeys()) {
            (void)s.getUrlsForKey(key);
            (void)s.windowsFrameString(key);
        }
    });
    exercise<VLWebPageZoomManager>("webpagezoom.json", data, size,
                                   [](VLWebPageZoomManager& s) { (void)s.zoomValue(); });
    exercise<VLBookmarksManager>("bookmark.json", data, size, [](VLBookmarksManager& s) {
        for (const std::string& name : s.bookmarks()) {
            (void)s.getUrlByName(name);
        }
    });
    exercise<VLHistoryManager>("history.json", data, size, [](VLHistoryManager& s) {
        for (const std::string& name : s.sortedByDateNames()) {
            (void)s.getUrlByName(name);
        }
    });

    fuzzWriteFile(VLFileManager::getSettingsPath() + "shortcuts.json", data, size);
    {
        VLShortcutManager shortcuts;
        for (const std::string& key : shortcuts.shortcuts()) {
            (void)shortcuts.findUrlForShortcut(key);
        }
        (void)shortcuts.urls();
        shortcuts.saveJson();
    }

    fuzzWriteFile(VLFileManager::getSettingsPath() + "settings.json", data, size);
    {
        VLSettingsManager settings;
        (void)settings.getMainUrl();
        (void)settings.pathToDownloadsFolder();
        (void)settings.windowOpacity();
        (void)settings.windowLevel();
        (void)settings.windowColor();
        (void)settings.standardFont();
        (void)settings.appearance();
        (void)settings.openEmptyPage();
    }
    return 0;
}
