#include "browser/PageAddress.h"

#include <glib.h>

#include "foundation/GObjectPtr.h"
#include "foundation/Url.h"

std::string PageAddress::searchUrl(const std::string& words) {
    // Blanks become %20 as required; other reserved characters are escaped too, so "a&b" or
    // "c#" search for themselves instead of breaking the query.
    GCharPtr escaped(g_uri_escape_string(words.c_str(), nullptr, FALSE));
    return std::string(kSearchPrefix) + (escaped ? escaped.get() : "");
}

std::optional<std::string> PageAddress::resolve(const std::string& text,
                                                const std::optional<std::string>& shortcutUrl) {
    std::string address = shortcutUrl && !shortcutUrl->empty() ? *shortcutUrl : text;
    std::optional<Url> url = Url::parse(address);
    bool hasScheme = url && url->isAbsolute();
    if (address.find('.') == std::string::npos && !hasScheme) {
        if (address.empty()) {
            return std::nullopt;
        }
        return searchUrl(address);
    }
    if (!hasScheme) {
        url = Url::parse("https://" + address);
    }
    if (!url || url->host().empty()) {
        return std::nullopt;
    }
    return url->absoluteString();
}
