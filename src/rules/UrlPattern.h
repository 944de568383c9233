#pragma once

#include <optional>
#include <string>
#include <string_view>

// URL pattern text: `*` stands for any run of characters; the pieces between stars are found
// anywhere in the URL, each by its first occurrence searched from the start of the URL, and must
// come in order. No anchoring, no case folding. Each search is linear (glibc memmem), so a match
// costs O(URL length x number of pieces).
class UrlPattern {
  public:
    // The first non-empty piece, or nothing when the pattern has none.
    static std::optional<std::string_view> firstPiece(std::string_view pattern);
    // Index of the first occurrence of `piece` in `text`, or nothing. An empty piece is at 0.
    static std::optional<size_t> find(std::string_view text, std::string_view piece);

    // Whether the pattern's pieces occur in the URL in order.
    static bool matches(std::string_view url, std::string_view pattern) {
        return matchesReplacingFirst(url, pattern, std::nullopt);
    }
    // The same with the first piece's replacement already known (nothing: search it as it is).
    static bool matchesReplacingFirst(std::string_view url, std::string_view pattern,
                                      std::optional<std::string_view> firstReplacement);

    // Case-sensitive comparison that orders runs of digits by their value ("Rule 9" < "Rule 10").
    // Texts that differ only in leading zeros are ordered bytewise, so distinct texts never tie.
    static bool naturalLess(std::string_view a, std::string_view b);

    // naturalLess as a map ordering.
    struct NaturalOrder {
        bool operator()(const std::string& a, const std::string& b) const {
            return naturalLess(a, b);
        }
    };
};
