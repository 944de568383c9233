#include "downloads/DownloadCookieJar.h"

#include <utility>

#include "foundation/Log.h"

namespace {
GUri* parseWebUri(const std::string& text) {
    GUri* uri = g_uri_parse(text.c_str(), static_cast<GUriFlags>(SOUP_HTTP_URI_FLAGS), nullptr);
    if (uri && g_uri_get_host(uri) && *g_uri_get_host(uri)) {
        return uri;
    }
    if (uri) {
        g_uri_unref(uri);
    }
    return nullptr;
}
}  // namespace

SoupCookieJar* DownloadCookieJar::shared() {
    static SoupCookieJar* jar = [] {
        SoupCookieJar* made = soup_cookie_jar_new();
        soup_cookie_jar_set_accept_policy(made, SOUP_COOKIE_JAR_ACCEPT_ALWAYS);
        return made;
    }();
    return jar;
}

void DownloadCookieJar::storeCookies(const std::string& responseUrl,
                                     const std::vector<std::string>& setCookieHeaderValues,
                                     const std::string& firstPartyUrl) {
    if (setCookieHeaderValues.empty()) {
        return;
    }
    GUri* origin = parseWebUri(responseUrl);
    if (!origin) {
        Log::warning("cookies of ", Log::address(responseUrl), " not stored: not a web URL");
        return;
    }
    GUri* firstParty = firstPartyUrl.empty() ? g_uri_ref(origin) : parseWebUri(firstPartyUrl);
    if (!firstParty) {
        Log::warning("cookies of ", Log::address(responseUrl), " not stored: the first party ",
                     Log::address(firstPartyUrl), " is not a web URL");
        g_uri_unref(origin);
        return;
    }
    SoupCookieJar* jar = shared();
    for (const std::string& value : setCookieHeaderValues) {
        // soup_cookie_parse refuses malformed values and domains the origin may not set.
        SoupCookie* cookie = soup_cookie_parse(value.c_str(), origin);
        if (cookie && !*soup_cookie_get_name(cookie) && !*soup_cookie_get_value(cookie)) {
            soup_cookie_free(std::exchange(cookie, nullptr));  // nothing to send back
        }
        if (!cookie) {
            // The cookie's text stays out of the log.
            Log::warning("a cookie from ", Log::address(responseUrl), " was not valid; ignored");
            continue;
        }
        // Takes the cookie; drops it when the accept policy refuses it.
        soup_cookie_jar_add_cookie_full(jar, cookie, origin, firstParty);
    }
    g_uri_unref(firstParty);
    g_uri_unref(origin);
}

std::vector<std::string> DownloadCookieJar::setCookieValues(SoupMessageHeaders* headers) {
    std::vector<std::string> values;
    if (!headers) {
        return values;
    }
    SoupMessageHeadersIter iter;
    soup_message_headers_iter_init(&iter, headers);
    const char* name = nullptr;
    const char* value = nullptr;
    while (soup_message_headers_iter_next(&iter, &name, &value)) {
        if (g_ascii_strcasecmp(name, "Set-Cookie") == 0) {
            values.emplace_back(value);
        }
    }
    return values;
}

void DownloadCookieJar::add(SoupCookie* cookie) {
    if (!cookie) {
        return;
    }
    SoupCookieJar* jar = shared();
    if (soup_cookie_jar_get_accept_policy(jar) == SOUP_COOKIE_JAR_ACCEPT_NEVER) {
        return;
    }
    soup_cookie_jar_add_cookie(jar, soup_cookie_copy(cookie));
}

void DownloadCookieJar::setAcceptPolicy(unsigned long policy) {
    SoupCookieJarAcceptPolicy mapped;
    switch (policy) {
        case 0:
            mapped = SOUP_COOKIE_JAR_ACCEPT_ALWAYS;
            break;
        case 1:
            mapped = SOUP_COOKIE_JAR_ACCEPT_NEVER;
            break;
        case 2:
            mapped = SOUP_COOKIE_JAR_ACCEPT_NO_THIRD_PARTY;
            break;
        default:
            Log::warning("cookie accept policy ", policy, " is unknown; keeping the current one");
            return;
    }
    soup_cookie_jar_set_accept_policy(shared(), mapped);
}
