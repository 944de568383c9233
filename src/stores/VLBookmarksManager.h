#pragma once

#include <optional>
#include <string>
#include <vector>

#include "stores/VLManager.h"

// Bookmark name -> URL (bookmark.json).
class VLBookmarksManager : public VLManager {
  public:
    static VLBookmarksManager& sharedManager() { return sharedStore<VLBookmarksManager>(); }

    std::string getPath() override { return pathInSettingsFolder("bookmark.json"); }

    // Both save at once: a bookmark is worth more than the write.
    void addBookMark(const std::string& name, const std::string& url);
    void removeBookmark(const std::string& name);
    // Names in plain character order (upper case before lower case); entries whose value is not
    // a URL string are left out.
    std::vector<std::string> bookmarks() const;
    std::optional<std::string> getUrlByName(const std::string& name) const;
};
