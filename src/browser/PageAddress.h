#pragma once

#include <optional>
#include <string>

// What typed or stored text loads: a shortcut's URL, a web search for words, or the text as an
// address (https:// in front when it names no scheme).
class PageAddress {
  public:
    // The search engine for typed words (path "/search", query key "q").
    static constexpr const char* kSearchPrefix = "https://search.brave.com/search?q=";

    // The URL to load for `text`, or nothing when it names no host. `shortcutUrl` is what the
    // shortcut store knows for the text, if anything.
    static std::optional<std::string> resolve(const std::string& text,
                                              const std::optional<std::string>& shortcutUrl);
    // The search address for words: the text percent-encoded (a blank becomes %20).
    static std::string searchUrl(const std::string& words);
};
