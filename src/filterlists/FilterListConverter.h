#pragma once

#include <cstddef>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "filterlists/CosmeticFilter.h"

// Turns one filter list (EasyList syntax) into the engine's content-blocker lists. Within a list
// the order decides: generic element hiding, the exceptions that turn it off for some pages,
// site element hiding, the exceptions that turn all hiding off, blocking filters, exceptions,
// then "$important" filters, which no exception overrides. A list longer than the engine takes
// is cut into several, each carrying every exception, since exceptions only reach rules of their
// own list.
class FilterListConverter {
  public:
    // The engine refuses a list with more rules than this.
    static constexpr size_t kEngineRuleLimit = 150000;

    struct Report {
        size_t filters = 0;    // filter lines read (comments and blank lines not counted)
        size_t converted = 0;  // filters that became rules or were applied as exceptions
        size_t emitted = 0;    // engine rules written, over all lists
        std::map<std::string, size_t> skipped;  // by reason
    };

    explicit FilterListConverter(size_t maxRulesPerList = kEngineRuleLimit);

    // The bundle's list files, in order: "rules.json", "rules-2.json", ...
    static std::string fileName(size_t index);

    void add(std::string_view text);
    // The engine lists (once, after every add); throws std::length_error when the exceptions alone
    // exceed the limit.
    std::vector<nlohmann::json> lists();
    const Report& report() const { return report_; }

  private:
    void addLine(std::string_view line);
    void addNetwork(std::string_view line);
    void addCosmetic(std::string_view line);
    void skip(const std::string& reason) { ++report_.skipped[reason]; }
    std::vector<nlohmann::json> hidingRules(bool generic);

    size_t maxRules_;
    Report report_;
    std::set<std::string, std::less<>> badFilters_;
    std::vector<CosmeticFilter> hides_;
    // Selector -> sites where it does not apply; an empty set means nowhere.
    std::map<std::string, std::set<std::string>> hideExceptions_;
    std::vector<nlohmann::json> genericHideExceptions_;
    std::vector<nlohmann::json> hideAllExceptions_;
    std::vector<nlohmann::json> blocks_;
    std::vector<nlohmann::json> exceptions_;
    std::vector<nlohmann::json> important_;
};
