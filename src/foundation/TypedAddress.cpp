#include "foundation/TypedAddress.h"

#include <gio/gio.h>

#include <cctype>

#include "foundation/GObjectPtr.h"

namespace {
bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

std::string TypedAddress::trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string TypedAddress::hostOf(const std::string& address) {
    if (!address.empty() && address[0] == '[') {
        const auto close = address.find(']');
        return close == std::string::npos ? address.substr(1) : address.substr(1, close - 1);
    }
    return address.substr(0, address.find_first_of(":/?#"));
}

bool TypedAddress::hasScheme(const std::string& text) {
    if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    size_t colon = 0;
    for (size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ':') {
            colon = i;
            break;
        }
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    if (colon == 0) {
        return false;
    }
    // "localhost:8080/x" names a port after the colon, which no scheme's address starts with.
    size_t digits = colon + 1;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) {
        ++digits;
    }
    const bool port =
        digits > colon + 1 &&
        (digits == text.size() || std::string("/?#").find(text[digits]) != std::string::npos);
    return !port;
}

bool TypedAddress::isLocalHost(const std::string& host) {
    std::string name;
    for (char c : host) {
        name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (name.size() > 2 && name.front() == '[' && name.back() == ']') {
        name = name.substr(1, name.size() - 2);
    }
    if (name == "localhost" || endsWith(name, ".localhost") || endsWith(name, ".local")) {
        return true;
    }
    auto address = GObjectPtr<GInetAddress>::adopt(g_inet_address_new_from_string(name.c_str()));
    if (!address) {
        return false;
    }
    if (g_inet_address_get_is_loopback(address.get()) ||
        g_inet_address_get_is_site_local(address.get()) ||
        g_inet_address_get_is_link_local(address.get())) {
        return true;
    }
    // IPv6 unique local addresses (fc00::/7) are the private network too.
    return g_inet_address_get_family(address.get()) == G_SOCKET_FAMILY_IPV6 &&
           (g_inet_address_to_bytes(address.get())[0] & 0xfe) == 0xfc;
}

std::string TypedAddress::withScheme(const std::string& text) {
    const std::string address = trimmed(text);
    if (address.empty() || hasScheme(address)) {
        return address;
    }
    return (isLocalHost(hostOf(address)) ? "http://" : "https://") + address;
}

std::optional<std::string> TypedAddress::plainHttpFallback(const std::string& typed,
                                                           const std::string& resolved) {
    static const std::string secure = "https://";
    if (hasScheme(trimmed(typed)) || resolved.rfind(secure, 0) != 0) {
        return std::nullopt;
    }
    return "http://" + resolved.substr(secure.size());
}
