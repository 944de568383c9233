// isUrlAllow, mainDomain and rule matching on arbitrary URL and pattern text, checked against a
// plain reference implementation of the same rules.
//   byte 0: bit 0 allowPatterns, bit 1 allowSubdomains
//   byte 1: how many extra times the URL is repeated (up to a 64 KiB URL)
//   rest:   the URL, then one pattern per line
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "rules/UrlPattern.h"
#include "rules/VLRule.h"
#include "rules/VLWhiteListManager.h"

namespace {
constexpr size_t kMaxUrl = 64 * 1024;
constexpr size_t kMaxPatterns = 256;

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken invariant: %s\n", what);
        std::abort();
    }
}

std::vector<std::string> splitAt(const std::string& text, char separator) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == separator) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

bool referenceMatch(const std::string& url, const std::string& pattern,
                    const std::optional<std::string>& firstReplacement) {
    size_t last = 0;
    bool first = true;
    for (std::string piece : splitAt(pattern, '*')) {
        if (piece.empty()) {
            continue;
        }
        if (first && firstReplacement) {
            piece = *firstReplacement;
        }
        first = false;
        size_t position = url.find(piece);
        if (position == std::string::npos || position < last) {
            return false;
        }
        last = position;
    }
    return true;
}

std::optional<std::string> referenceReduction(const std::string& pattern) {
    for (const std::string& piece : splitAt(pattern, '*')) {
        if (!piece.empty()) {
            return VLWhiteListManager::mainDomain(piece);
        }
    }
    return std::nullopt;
}

void checkMainDomain(const std::string& text) {
    std::optional<std::string> domain = VLWhiteListManager::mainDomain(text);
    if (!domain) {
        return;
    }
    check(domain->find('.') != std::string::npos, "a main domain has a dot");
    if (!text.starts_with("http://") && !text.starts_with("https://")) {
        check(text.ends_with(*domain), "a plain text's main domain is its tail");
        check(std::count(domain->begin(), domain->end(), '.') == 1, "two labels");
    }
}

VLWhiteListManager& whitelist() {
    static VLWhiteListManager list;
    return list;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzEnvironmentInit();
    if (size < 2) {
        return 0;
    }
    const bool allowPatterns = data[0] & 1;
    const bool allowSubdomains = data[0] & 2;
    const size_t repeats = data[1];
    std::vector<std::string> lines =
        splitAt(std::string(reinterpret_cast<const char*>(data) + 2, size - 2), '\n');
    std::string url;
    for (size_t i = 0; i <= repeats && url.size() + lines[0].size() <= kMaxUrl; ++i) {
        url += lines[0];
    }
    std::vector<std::string> patterns(lines.begin() + 1,
                                      lines.begin() + std::min(lines.size(), kMaxPatterns + 1));

    VLWhiteListManager& list = whitelist();
    list.removeAllPatterns();
    list.setAllowAll(false);
    list.setAllowPatterns(allowPatterns);
    list.setAllowSubdomains(allowSubdomains);
    VLRule rule("fuzz", 1);
    for (const std::string& pattern : patterns) {
        list.addPattern(pattern);
        rule.addPattern(pattern, 1);
        checkMainDomain(pattern);
    }
    checkMainDomain(url);
    const bool allowed = list.isUrlAllow(url);
    std::optional<std::string> found = rule.findPatternThatContans(url);

    // The reference is quadratic in the worst case: only compare on modest sizes.
    size_t work = 0;
    for (const std::string& pattern : patterns) {
        work += pattern.size();
    }
    if (url.size() * (work + 1) > 4'000'000) {
        return 0;
    }
    bool referenceAllowed = !allowPatterns;
    for (const std::string& pattern : list.patterns()) {
        std::optional<std::string> reduced;
        if (allowSubdomains) {
            reduced = referenceReduction(pattern);
        }
        if (referenceMatch(url, pattern, reduced)) {
            referenceAllowed = allowPatterns;
            break;
        }
    }
    check(allowed == referenceAllowed, "isUrlAllow agrees with the reference");
    list.setAllowAll(true);
    check(list.isUrlAllow(url), "allowAll allows everything");

    std::optional<std::string> referenceFound;
    for (const std::string& name : rule.patternNames()) {
        if (url.find(name) != std::string::npos || referenceMatch(url, name, std::nullopt)) {
            referenceFound = name;
            break;
        }
    }
    check(found == referenceFound, "findPatternThatContans agrees with the reference");
    return 0;
}
