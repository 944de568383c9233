#pragma once

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

// Which URLs belong to the web app (whitelist.json in the settings folder). Main thread only.
class VLWhiteListManager {
  public:
    static VLWhiteListManager& sharedManager();
    // Reads whitelist.json (loadPatterns).
    VLWhiteListManager();
    // The whitelist of another app: the whitelist.json at `path`.
    explicit VLWhiteListManager(std::string path);
    VLWhiteListManager(const VLWhiteListManager&) = delete;
    VLWhiteListManager& operator=(const VLWhiteListManager&) = delete;

    // Computed on first use, then kept.
    std::string getPath();
    // Missing, empty or unparseable file (or one of the wrong shape): the defaults, allowAll on.
    // Members of the wrong type are logged and read as absent; non-string patterns are skipped.
    void loadPatterns();
    // False (with a log line) when the file could not be written; the old file then stays.
    bool savePatterns();

    // A copy in stored order.
    std::vector<std::string> patterns() const { return patterns_; }
    // Appends unless an equal string is already there.
    void addPattern(const std::string& pattern);
    void removePattern(const std::string& pattern);
    void removeAllPatterns();

    bool allowAll() const { return allowAll_; }
    void setAllowAll(bool value) { allowAll_ = value; }
    bool allowPatterns() const { return allowPatterns_; }
    void setAllowPatterns(bool value) { allowPatterns_ = value; }
    bool allowSubdomains() const { return allowSubdomains_; }
    void setAllowSubdomains(bool value) { allowSubdomains_ = value; }

    // allowAll, else allowPatterns when a pattern matches, else its negation.
    bool isUrlAllow(const std::string& url) const;
    // The last two dot-separated labels of a text (of the host for "http://" and "https://"
    // texts); nothing when there are fewer than three labels or the URL does not parse.
    static std::optional<std::string> mainDomain(const std::string& text);

  private:
    void resetToDefaults();

    std::vector<std::string> patterns_;
    // mainDomain of each pattern's first piece, kept beside patterns_ (same index).
    std::vector<std::optional<std::string>> reducedFirstPieces_;
    std::unordered_set<std::string> present_;
    bool allowAll_ = true;
    bool allowPatterns_ = false;
    bool allowSubdomains_ = false;
    std::optional<std::string> path_;
};
