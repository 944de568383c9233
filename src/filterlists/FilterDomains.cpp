#include "filterlists/FilterDomains.h"

#include <glib.h>

#include <algorithm>

#include "foundation/GObjectPtr.h"

std::optional<std::string> FilterDomains::normalize(std::string_view domain) {
    if (domain.empty()) {
        return std::nullopt;
    }
    const std::string text(domain);
    GCharPtr ascii(g_hostname_to_ascii(text.c_str()));
    if (!ascii) {
        return std::nullopt;
    }
    std::string result(ascii.get());
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(g_ascii_tolower(c)); });
    const bool valid = std::all_of(result.begin(), result.end(), [](unsigned char c) {
        return g_ascii_isalnum(c) || c == '-' || c == '.' || c == '_' || c == ':';
    });
    if (!valid) {
        return std::nullopt;
    }
    return result;
}

bool FilterDomains::isUnder(std::string_view domain, std::string_view parent) {
    if (domain.size() == parent.size()) {
        return domain == parent;
    }
    return domain.size() > parent.size() && domain.ends_with(parent) &&
           domain[domain.size() - parent.size() - 1] == '.';
}

std::optional<FilterDomains> FilterDomains::parse(std::string_view text, char separator,
                                                  std::string& reason) {
    FilterDomains domains;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view entry = text.substr(start, end - start);
        start = end + 1;
        const bool negated = entry.starts_with('~');
        if (negated) {
            entry.remove_prefix(1);
        }
        if (entry.empty()) {
            continue;
        }
        if (entry.starts_with('/')) {
            reason = "regex domain";
            return std::nullopt;
        }
        if (entry.ends_with(".*")) {
            // An included entity only narrows the rule; an excluded one would widen it.
            if (negated) {
                reason = "entity domain";
                return std::nullopt;
            }
            domains.entityDropped_ = true;
            continue;
        }
        auto normal = normalize(entry);
        if (!normal) {
            reason = "invalid domain";
            return std::nullopt;
        }
        (negated ? domains.excluded_ : domains.included_).push_back(std::move(*normal));
    }
    if (domains.entityDropped_ && domains.included_.empty()) {
        reason = "entity domain";
        return std::nullopt;
    }
    if (!domains.simplify(reason)) {
        return std::nullopt;
    }
    return domains;
}

bool FilterDomains::simplify(std::string& reason) {
    if (included_.empty()) {
        return true;
    }
    // An included domain under an exclusion never applies.
    std::erase_if(included_, [&](const std::string& in) {
        return std::any_of(excluded_.begin(), excluded_.end(),
                           [&](const std::string& out) { return isUnder(in, out); });
    });
    if (included_.empty()) {
        reason = "no domain left";
        return false;
    }
    // An exclusion outside every included domain changes nothing.
    std::erase_if(excluded_, [&](const std::string& out) {
        return std::none_of(included_.begin(), included_.end(),
                            [&](const std::string& in) { return isUnder(out, in); });
    });
    if (!excluded_.empty()) {
        reason = "mixed domains";
        return false;
    }
    return true;
}

std::string FilterDomains::exclude(const std::vector<std::string>& domains) {
    excluded_.insert(excluded_.end(), domains.begin(), domains.end());
    std::sort(excluded_.begin(), excluded_.end());
    excluded_.erase(std::unique(excluded_.begin(), excluded_.end()), excluded_.end());
    std::string reason;
    simplify(reason);
    return reason;
}

void FilterDomains::applyTo(nlohmann::json& trigger) const {
    if (!included_.empty()) {
        trigger["if-domain"] = withWildcard(included_);
    } else if (!excluded_.empty()) {
        trigger["unless-domain"] = withWildcard(excluded_);
    }
}

std::vector<std::string> FilterDomains::withWildcard(const std::vector<std::string>& domains) {
    std::vector<std::string> result;
    result.reserve(domains.size());
    for (const std::string& domain : domains) {
        result.push_back("*" + domain);
    }
    return result;
}
