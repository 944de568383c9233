#pragma once

#include <glib.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/Url.h"
#include "helper/VariantRef.h"

// The plain values that cross between the shell and the helper, and the limits both ends apply.
// A URL is a type of its own on the wire, the struct "(s)" holding its text, so a plain string is
// never taken for one; the empty text stands for an absent URL in a method argument. An optional
// string is "(bs)": present flag and text.
class WireValue {
  public:
    // Longest text accepted for a field or argument (titles, usernames, passwords...).
    static constexpr std::size_t kMaxTextLength = 64 * 1024;
    // Longest URL text accepted (what browsers accept in an address).
    static constexpr std::size_t kMaxUrlLength = 2 * 1024 * 1024;
    // Most buttons one notification may ask for, and most logins one reply may carry.
    static constexpr std::size_t kMaxActions = 32;
    static constexpr std::size_t kMaxCredentials = 4096;

    static constexpr const char* kUrlType = "(s)";
    static constexpr const char* kOptionalStringType = "(bs)";

    // A D-Bus string: invalid UTF-8 is repaired (with a log line) rather than refused by GLib.
    static VariantRef string(std::string_view text);
    static VariantRef url(const std::optional<Url>& url);
    static VariantRef optionalString(const std::optional<std::string>& text);

    // Text of a string value within the length limit; absent (with a log line naming `what`)
    // when it is longer.
    static std::optional<std::string> decodeString(GVariant* value, std::string_view what);
    // A "(s)" value: absent for the empty text, text longer than the limit or text that is no
    // URL (the last two logged).
    static std::optional<Url> decodeUrl(GVariant* value, std::string_view what);
    // A "(bs)" value; a text over the limit reads as absent (logged).
    static std::optional<std::string> decodeOptionalString(GVariant* value, std::string_view what);

    static bool isUrl(GVariant* value);
    // "type 'x'" of a value, for log lines.
    static std::string describe(GVariant* value);
};
