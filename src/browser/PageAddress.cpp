#include "browser/PageAddress.h"

#include <glib.h>

#include "foundation/GObjectPtr.h"
#include "foundation/TypedAddress.h"
#include "foundation/Url.h"

std::string PageAddress::searchUrl(const std::string& words) {
    // Blanks become %20 as required; other reserved characters are escaped too, so "a&b" or
    // "c#" search for themselves instead of breaking the query.
    GCharPtr escaped(g_uri_escape_string(words.c_str(), nullptr, FALSE));
    return std::string(kSearchPrefix) + (escaped ? escaped.get() : "");
}

std::optional<std::string> PageAddress::resolve(const std::string& text,
                                                const std::optional<std::string>& shortcutUrl) {
    const std::string source =
        TypedAddress::trimmed(shortcutUrl && !shortcutUrl->empty() ? *shortcutUrl : text);
    if (source.empty()) {
        return std::nullopt;
    }
    if (!TypedAddress::hasScheme(source)) {
        // Words without a dot are searched for, unless they name this machine or a port.
        const std::string host = TypedAddress::hostOf(source);
        const bool port = source.size() > host.size() && source[host.size()] == ':';
        if (source.find('.') == std::string::npos && !port && host != "localhost" &&
            source[0] != '[') {
            return searchUrl(source);
        }
    }
    std::optional<Url> url = Url::parse(TypedAddress::withScheme(source));
    if (!url || !url->isAbsolute() || url->host().empty()) {
        return std::nullopt;
    }
    return url->absoluteString();
}
