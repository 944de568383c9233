#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "rules/UrlPattern.h"
#include "rules/VLPattern.h"

// A named rule: a script (or style) text and the patterns of the pages it belongs to.
class VLRule : public VLPattern {
  public:
    // Patterns by name, iterated in natural order (case-sensitive, digit runs by value).
    using PatternMap = std::map<std::string, VLPattern, UrlPattern::NaturalOrder>;

    VLRule() = default;
    VLRule(std::string name, long state) : VLPattern(std::move(name), state) {}

    // The rule object {"name", "state", "script", "pattern"}; nothing without a string "name".
    // Pattern entries of the wrong shape are skipped (with a log line); each pattern is filed
    // under its inner "name", a later one replacing an earlier one.
    static std::optional<VLRule> initWithDictionary(const nlohmann::json& dictionary);
    nlohmann::json toDictionary() const;

    const std::optional<std::string>& script() const { return script_; }
    void setScript(std::optional<std::string> script) { script_ = std::move(script); }
    const PatternMap& patterns() const { return patterns_; }

    void addPattern(const std::string& name, long state);
    void removePattern(const std::string& name);
    VLPattern* findPattern(const std::string& name);
    const VLPattern* findPattern(const std::string& name) const;
    // Does nothing when `from` is not a pattern of the rule.
    void renamePattern(const std::string& from, const std::string& to);
    // Pattern names in natural order (case-sensitive, digit runs by value).
    std::vector<std::string> patternNames() const;
    // The first pattern, in patternNames() order, that is switched on and matches the URL text:
    // either the whole pattern text occurs in the URL, or its pieces do, in order.
    std::optional<std::string> findPatternThatContans(const std::string& url) const;

  private:
    std::optional<std::string> script_;
    PatternMap patterns_;
};
