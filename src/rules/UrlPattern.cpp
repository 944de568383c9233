#include "rules/UrlPattern.h"

#include <string.h>  // memmem (glibc: two-way / hashed shift search, never quadratic)

namespace {
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Calls `visit` with each non-empty piece in order until it returns false; returns whether every
// visit returned true.
template <class Visit>
bool forEachPiece(std::string_view pattern, Visit&& visit) {
    size_t start = 0;
    while (start <= pattern.size()) {
        size_t star = pattern.find('*', start);
        size_t end = star == std::string_view::npos ? pattern.size() : star;
        if (end > start && !visit(pattern.substr(start, end - start))) {
            return false;
        }
        if (star == std::string_view::npos) {
            break;
        }
        start = star + 1;
    }
    return true;
}
}  // namespace

std::optional<std::string_view> UrlPattern::firstPiece(std::string_view pattern) {
    std::optional<std::string_view> first;
    forEachPiece(pattern, [&](std::string_view piece) {
        first = piece;
        return false;
    });
    return first;
}

std::optional<size_t> UrlPattern::find(std::string_view text, std::string_view piece) {
    if (piece.empty()) {
        return 0;
    }
    if (piece.size() > text.size()) {
        return std::nullopt;
    }
    const void* at = ::memmem(text.data(), text.size(), piece.data(), piece.size());
    if (!at) {
        return std::nullopt;
    }
    return static_cast<size_t>(static_cast<const char*>(at) - text.data());
}

bool UrlPattern::matchesReplacingFirst(std::string_view url, std::string_view pattern,
                                       std::optional<std::string_view> firstReplacement) {
    size_t last = 0;
    bool first = true;
    return forEachPiece(pattern, [&](std::string_view piece) {
        if (first && firstReplacement) {
            piece = *firstReplacement;
        }
        first = false;
        std::optional<size_t> position = find(url, piece);
        if (!position || *position < last) {
            return false;
        }
        last = *position;
        return true;
    });
}

bool UrlPattern::naturalLess(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            size_t aStart = i;
            size_t bStart = j;
            while (i < a.size() && isDigit(a[i])) {
                ++i;
            }
            while (j < b.size() && isDigit(b[j])) {
                ++j;
            }
            // Compare values without converting: strip leading zeros, then longer is larger.
            std::string_view aDigits = a.substr(aStart, i - aStart);
            std::string_view bDigits = b.substr(bStart, j - bStart);
            aDigits.remove_prefix(std::min(aDigits.find_first_not_of('0'), aDigits.size()));
            bDigits.remove_prefix(std::min(bDigits.find_first_not_of('0'), bDigits.size()));
            if (aDigits.size() != bDigits.size()) {
                return aDigits.size() < bDigits.size();
            }
            if (int order = aDigits.compare(bDigits); order != 0) {
                return order < 0;
            }
            continue;
        }
        auto ca = static_cast<unsigned char>(a[i]);
        auto cb = static_cast<unsigned char>(b[j]);
        if (ca != cb) {
            return ca < cb;
        }
        ++i;
        ++j;
    }
    bool aDone = i >= a.size();
    bool bDone = j >= b.size();
    if (aDone != bDone) {
        return aDone;
    }
    // Equal under numeric reading ("a01" and "a1"): fall back to bytes for a strict order.
    return a < b;
}
