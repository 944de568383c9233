#pragma once

#include <optional>
#include <string>

// How an address typed or stored without a scheme is read: "host:port/path" names a host, not a
// scheme; addresses on this machine or the private network are reached over http, every other
// host over https.
class TypedAddress {
  public:
    // True when the text starts with a scheme ("mailto:", "https:"), and not with "host:port".
    static bool hasScheme(const std::string& text);
    // "localhost", names under .localhost and .local, loopback, private and link-local addresses.
    static bool isLocalHost(const std::string& host);
    // The text with "http://" or "https://" in front when it has no scheme; as it stands
    // otherwise. Blanks around the text are dropped.
    static std::string withScheme(const std::string& text);
    // The host of an address without a scheme ("[::1]:80/x" gives "::1").
    static std::string hostOf(const std::string& address);
    static std::string trimmed(const std::string& text);
    // For an address that `withScheme` gave https: the same address over http, to try once
    // when the server does not speak TLS.
    static std::optional<std::string> plainHttpFallback(const std::string& typed,
                                                        const std::string& resolved);
};
