#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The domains a filter is limited to ("a.com|~b.a.com" in $domain=, "a.com,~b.com" before ##),
// in the engine's form: lower-case ASCII (punycode), "*" in front so subdomains match too.
class FilterDomains {
  public:
    // Splits on `separator`; nullopt with `reason` set when the list holds something the engine
    // cannot express (entity domains such as "google.*", regex domains, both kinds mixed).
    static std::optional<FilterDomains> parse(std::string_view text, char separator,
                                              std::string& reason);

    // Without the "*" prefix.
    const std::vector<std::string>& included() const { return included_; }
    const std::vector<std::string>& excluded() const { return excluded_; }
    bool empty() const { return included_.empty() && excluded_.empty(); }

    // Adds exclusions (from exceptions). Returns why the rule cannot stay ("" when it can): an
    // exclusion under an included domain needs a second condition, which the engine refuses.
    std::string exclude(const std::vector<std::string>& domains);

    // Sets "if-domain" or "unless-domain" on a trigger (nothing when empty).
    void applyTo(nlohmann::json& trigger) const;

    // "sub.a.com" is under "a.com" and under itself.
    static bool isUnder(std::string_view domain, std::string_view parent);
    // Lower-case ASCII form of a host name, nullopt when it is none.
    static std::optional<std::string> normalize(std::string_view domain);

  private:
    static std::vector<std::string> withWildcard(const std::vector<std::string>& domains);
    bool simplify(std::string& reason);

    std::vector<std::string> included_;
    std::vector<std::string> excluded_;
    bool entityDropped_ = false;
};
