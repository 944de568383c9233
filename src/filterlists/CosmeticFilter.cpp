#include "filterlists/CosmeticFilter.h"

#include <algorithm>
#include <array>

namespace {
constexpr std::array<std::string_view, 8> kMarkers = {"##",  "#@#",  "#?#", "#@?#",
                                                      "#$#", "#@$#", "#%#", "#@%#"};

// Pseudo-classes of other blockers' script-driven filters; the engine's style sheets have none.
constexpr std::array<std::string_view, 24> kProcedural = {
    ":has-text(",     ":-abp-",         ":xpath(",           ":upward(",          ":remove(",
    ":style(",        ":matches-css",   ":min-text-length(", ":watch-attr(",      ":others(",
    ":nth-ancestor(", ":matches-path(", ":matches-attr(",    ":matches-media(",   ":matches-prop(",
    ":spath(",        ":if(",           ":if-not(",          ":contains(",        ":remove-attr(",
    ":remove-class(", ":shadow(",       ":properties(",      ":matches-property("};

bool isDomainListChar(char c) {
    return c != '#' && c != ' ' && c != '$' && c != '|' && c != '^';
}
}  // namespace

size_t CosmeticFilter::markerAt(std::string_view line, std::string_view& marker) {
    for (size_t i = line.find('#'); i != std::string_view::npos; i = line.find('#', i + 1)) {
        if (!std::all_of(line.begin(), line.begin() + i, isDomainListChar)) {
            return std::string_view::npos;
        }
        for (std::string_view candidate : kMarkers) {
            if (line.substr(i).starts_with(candidate)) {
                marker = candidate;
                return i;
            }
        }
    }
    return std::string_view::npos;
}

bool CosmeticFilter::isCosmetic(std::string_view line) {
    std::string_view marker;
    return markerAt(line, marker) != std::string_view::npos;
}

std::optional<CosmeticFilter> CosmeticFilter::parse(std::string_view line, std::string& reason) {
    std::string_view marker;
    const size_t at = markerAt(line, marker);
    if (at == std::string_view::npos) {
        reason = "not element hiding";
        return std::nullopt;
    }
    if (marker != "##" && marker != "#@#") {
        reason = std::string(marker) + " filter";
        return std::nullopt;
    }
    CosmeticFilter filter;
    filter.exception_ = marker == "#@#";
    filter.selector_ = std::string(line.substr(at + marker.size()));
    const std::string& selector = filter.selector_;
    if (selector.empty()) {
        reason = "empty selector";
        return std::nullopt;
    }
    if (selector.starts_with("+js(")) {
        reason = "scriptlet";
        return std::nullopt;
    }
    if (selector.starts_with('^')) {
        reason = "HTML filter";
        return std::nullopt;
    }
    for (std::string_view pseudo : kProcedural) {
        if (selector.find(pseudo) != std::string::npos) {
            reason = "procedural selector";
            return std::nullopt;
        }
    }
    auto domains = FilterDomains::parse(line.substr(0, at), ',', reason);
    if (!domains) {
        return std::nullopt;
    }
    filter.domains_ = std::move(*domains);
    return filter;
}
