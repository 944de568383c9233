#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "filterlists/FilterDomains.h"

// An element-hiding filter: "##.ad" everywhere, "a.com,~b.com##.ad" on some sites, and the
// exception "a.com#@#.ad".
class CosmeticFilter {
  public:
    // True when the line is an element-hiding filter of any flavour (also those left out).
    static bool isCosmetic(std::string_view line);
    // nullopt with `reason` set for what the engine cannot do: extended and procedural
    // selectors, scriptlets, HTML filters, entity domains.
    static std::optional<CosmeticFilter> parse(std::string_view line, std::string& reason);

    bool exception() const { return exception_; }
    const std::string& selector() const { return selector_; }
    FilterDomains& domains() { return domains_; }
    const FilterDomains& domains() const { return domains_; }

  private:
    static size_t markerAt(std::string_view line, std::string_view& marker);

    bool exception_ = false;
    std::string selector_;
    FilterDomains domains_;
};
