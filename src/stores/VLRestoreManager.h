#pragma once

#include <optional>
#include <string>
#include <vector>

#include "stores/VLManager.h"

// The windows to reopen: per window key ("window0", ...) its tab URLs and frame (restore.json).
class VLRestoreManager : public VLManager {
  public:
    static VLRestoreManager& sharedManager() { return sharedStore<VLRestoreManager>(); }

    std::string getPath() override { return pathInSettingsFolder("restore.json"); }
    void updateToNewFormat() override;
    bool save() override;

    // Every top-level key but "version": window keys in the numeric order of their position,
    // then any other keys in text order.
    std::vector<std::string> windowKeys() const;
    // Reading an unknown key adds an empty entry under it, as every entry operation does.
    std::optional<std::vector<std::string>> getUrlsForKey(const std::string& key);
    std::optional<std::string> windowsFrameString(const std::string& key);
    void addUrls(const std::vector<std::string>& urls, const std::string& key);
    void setWindowFrameString(const std::string& frame, const std::string& key);
    // The entry for the key, created when missing (an entry of another type is replaced); none
    // for an empty key.
    nlohmann::json* getWindowDictionaryForKey(const std::string& key);
    void clear();
};
