#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "filterlists/FilterDomains.h"

// The options after "$" of a network filter ("third-party,script,domain=a.com|~b.a.com") and the
// engine triggers they make for one url-filter.
class FilterOptions {
  public:
    enum class Party { Any, First, Third };
    // What an exception turns off besides requests: element hiding.
    enum class Hiding { None, Generic, All };

    // nullopt with `reason` set ("$csp", "$popup", "mixed domains", ...) when a filter with these
    // options must be left out.
    static std::optional<FilterOptions> parse(std::string_view text, bool exception,
                                              std::string& reason);

    // One trigger, or two when a frame rule must not also catch the top page.
    std::vector<nlohmann::json> triggers(const std::string& urlFilter, bool hostOnly) const;

    bool important() const { return important_; }
    Hiding hiding() const { return hiding_; }
    bool names(const std::string& type) const { return types_.count(type) > 0; }
    bool hasDomains() const { return !domains_.empty(); }

  private:
    Party party_ = Party::Any;
    bool matchCase_ = false;
    bool important_ = false;
    bool typed_ = false;  // a type named or excluded
    Hiding hiding_ = Hiding::None;
    std::set<std::string> types_;
    FilterDomains domains_;
};
