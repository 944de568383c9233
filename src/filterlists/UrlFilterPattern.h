#pragma once

#include <optional>
#include <string>
#include <string_view>

// A network filter's address pattern ("||ads.example^", "|https://a.b/x*", "/banner/",
// "/regex/") as a "url-filter" the engine's content-extension parser accepts: its regular
// expressions have no alternation, counted repetition, character-class escapes or word
// boundaries, anchors only at the ends, and ASCII only.
class UrlFilterPattern {
  public:
    // nullopt with `reason` set when the engine cannot express the pattern.
    static std::optional<std::string> convert(std::string_view pattern, std::string& reason);

    // True for "||host^" alone (a host and everything on it).
    static bool isHostOnly(std::string_view pattern);
    // The host of a "||host^" pattern.
    static std::string_view host(std::string_view pattern);

    // The separator "^": anything but a letter, digit or one of "_-.%".
    static constexpr const char* kSeparator = "[^a-zA-Z0-9_.%-]";
    // "||": the scheme, then the host or any subdomain of it.
    static constexpr const char* kHostAnchor = "^[^:]+://+([^:/]+\\.)?";

  private:
    static std::optional<std::string> convertRegex(std::string_view body, std::string& reason);
};
