#pragma once

#include <optional>
#include <string>
#include <vector>

// Which URLs belong to the web app (whitelist.json in the settings folder). Main thread only.
class VLWhiteListManager {
public:
    static VLWhiteListManager& sharedManager();
    // Reads whitelist.json (loadPatterns).
    VLWhiteListManager();

    std::string getPath();
    // Missing, empty or unparseable file (or one of the wrong shape): the defaults, allowAll on.
    void loadPatterns();
    // False (with a log line) when the file could not be written; the old file then stays.
    bool savePatterns();

    std::vector<std::string> patterns() const { return patterns_; }
    void addPattern(const std::string& pattern);
    void removePattern(const std::string& pattern);
    void removeAllPatterns();

    bool allowAll() const { return allowAll_; }
    void setAllowAll(bool value) { allowAll_ = value; }
    bool allowPatterns() const { return allowPatterns_; }
    void setAllowPatterns(bool value) { allowPatterns_ = value; }
    bool allowSubdomains() const { return allowSubdomains_; }
    void setAllowSubdomains(bool value) { allowSubdomains_ = value; }

    bool isUrlAllow(const std::string& url) const;
    static std::optional<std::string> mainDomain(const std::string& text);

private:
    std::vector<std::string> patterns_;
    bool allowAll_ = true;
    bool allowPatterns_ = false;
    bool allowSubdomains_ = false;
    std::optional<std::string> path_;
};
