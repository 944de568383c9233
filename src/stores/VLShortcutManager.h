#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

// Typed shortcut -> URL (shortcuts.json); handles its file itself.
class VLShortcutManager {
  public:
    static VLShortcutManager& sharedManager();
    VLShortcutManager();

    std::string getPath();
    void loadJson();
    // False (with a log line) when the file could not be written.
    bool saveJson();

    // An empty shortcut is ignored; no URL removes the shortcut.
    void setShortCut(const std::string& shortcut, const std::optional<std::string>& url);
    // Exact, case-sensitive; nothing for empty text.
    std::optional<std::string> findUrlForShortcut(const std::string& text) const;
    void clearShortcuts();
    // Both in the dictionary's own order, so shortcuts()[i] stands for urls()[i].
    std::vector<std::string> shortcuts() const;
    std::vector<std::string> urls() const;

    nlohmann::json& json() { return json_; }

  private:
    nlohmann::json json_ = nlohmann::json::object();
    std::optional<std::string> path_;
};
