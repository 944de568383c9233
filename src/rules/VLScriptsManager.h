#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "rules/VLRule.h"

// User scripts by URL pattern (Contents/Resources/Scripts/userscripts.json inside the bundle).
// Main thread only; editing operations change memory, callers call saveJson.
class VLScriptsManager {
  public:
    // Rules by name, iterated in natural order (case-sensitive, digit runs by value).
    using RuleMap = std::map<std::string, VLRule, UrlPattern::NaturalOrder>;

    static VLScriptsManager& sharedManager();
    VLScriptsManager() = default;
    virtual ~VLScriptsManager() = default;
    VLScriptsManager(const VLScriptsManager&) = delete;
    VLScriptsManager& operator=(const VLScriptsManager&) = delete;

    // Computed on first use, then kept.
    virtual std::string getJsonPath();
    // Missing or empty file: empty, silently. Unparseable or not an array: logged, empty.
    // Entries of the wrong shape are skipped with a log line; good entries still load.
    void loadJson();
    // False (with a log line) when the folder or file could not be written; the old file stays.
    bool saveJson();

    // Replaces any rule of that name with an empty one.
    void addRule(const std::string& name, long state);
    // Replaces any rule named `to`; does nothing when `from` is unknown.
    void renameRule(const std::string& from, const std::string& to);
    void removeRule(const std::string& name);
    // The pattern operations do nothing when the rule is unknown.
    void addPattern(const std::string& pattern, const std::string& rule, long state);
    void removePattern(const std::string& pattern, const std::string& rule);
    void renamePattern(const std::string& from, const std::string& to, const std::string& rule);
    void addScript(const std::optional<std::string>& text, const std::string& rule);
    std::optional<std::string> scriptForRule(const std::string& rule) const;
    // 0 for an unknown rule or pattern.
    long getRuleState(const std::string& rule) const;
    long getPatternState(const std::string& pattern, const std::string& rule) const;
    void setState(long state, const std::string& rule);
    // Files a new pattern of that name and state (as addPattern does).
    void setState(long state, const std::string& rule, const std::string& pattern);
    // Rule names in natural order.
    std::vector<std::string> rulesArray() const;
    // Pattern names in natural order; nothing for an unknown rule.
    std::optional<std::vector<std::string>> patternsNamesForRule(const std::string& rule) const;
    // The script of the first enabled rule (rulesArray order) with a matching switched-on
    // pattern; no text when that rule has none or no rule matches.
    std::optional<std::string> findScriptFor(const std::string& url) const;

    const RuleMap& rules() const { return rules_; }

  protected:
    VLRule* findRule(const std::string& name);
    const VLRule* findRule(const std::string& name) const;

    RuleMap rules_;
    std::optional<std::string> jsonPath_;
};

// User styles by URL pattern (userstyles.json in the settings folder).
class VLStylesManager : public VLScriptsManager {
  public:
    static VLStylesManager& sharedManager();
    std::string getJsonPath() override;
};
