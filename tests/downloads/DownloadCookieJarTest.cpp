#include <gtest/gtest.h>

#include <set>

#include "LogCapture.h"
#include "downloads/DownloadCookieJar.h"
#include "foundation/GObjectPtr.h"

namespace {
// The cookies the jar would send to this URL, sorted by name: "a=1; b=2".
std::string cookiesFor(const std::string& url) {
    GUri* uri = g_uri_parse(url.c_str(), static_cast<GUriFlags>(SOUP_HTTP_URI_FLAGS), nullptr);
    GSList* cookies = soup_cookie_jar_get_cookie_list(DownloadCookieJar::shared(), uri, TRUE);
    g_uri_unref(uri);
    std::set<std::string> pairs;
    for (GSList* item = cookies; item; item = item->next) {
        auto* cookie = static_cast<SoupCookie*>(item->data);
        pairs.insert(std::string(soup_cookie_get_name(cookie)) + "=" +
                     soup_cookie_get_value(cookie));
    }
    g_slist_free_full(cookies, reinterpret_cast<GDestroyNotify>(soup_cookie_free));
    std::string text;
    for (const std::string& pair : pairs) {
        text += (text.empty() ? "" : "; ") + pair;
    }
    return text;
}
}  // namespace

TEST(DownloadCookieJarTest, StoresResponseCookiesForTheirSiteOnly) {
    LogCapture log;
    DownloadCookieJar::storeCookies("https://mail.example.com/inbox",
                                    {"sid=1; Path=/; Secure", "lang=en; Domain=example.com",
                                     "evil=1; Domain=other.org", "=; ", ""});
    EXPECT_EQ(cookiesFor("https://mail.example.com/file.zip"), "lang=en; sid=1");
    EXPECT_EQ(cookiesFor("http://mail.example.com/file.zip"), "lang=en") << "secure stays secure";
    EXPECT_EQ(cookiesFor("https://www.example.com/"), "lang=en");
    EXPECT_EQ(cookiesFor("https://other.org/"), "");
    EXPECT_TRUE(log.contains("a cookie from https://mail.example.com/inbox was not valid"));
    EXPECT_FALSE(log.contains("evil=1")) << "cookie values stay out of the log";

    DownloadCookieJar::storeCookies("not a url?secret=1", {"a=b"});
    EXPECT_TRUE(log.contains("cookies of (an address) not stored"));
    DownloadCookieJar::storeCookies("https://example.com/", {"a=b"}, "::bad::");
    EXPECT_TRUE(log.contains("the first party (an address) is not a web URL"));
    // A cookie copied from the web engine outlives the original: DownloadOperationIT.
    DownloadCookieJar::add(nullptr);  // adds nothing
    EXPECT_EQ(cookiesFor("https://example.com/"), "lang=en");

    // Set-Cookie lines are kept apart whatever their commas.
    SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
    soup_message_headers_append(headers, "Content-Type", "text/html");
    soup_message_headers_append(headers, "Set-Cookie",
                                "a=1; Expires=Wed, 21 Oct 2037 07:28:00 GMT; Path=/");
    soup_message_headers_append(headers, "set-cookie", "b=2");
    EXPECT_EQ(
        DownloadCookieJar::setCookieValues(headers),
        (std::vector<std::string>{"a=1; Expires=Wed, 21 Oct 2037 07:28:00 GMT; Path=/", "b=2"}));
    DownloadCookieJar::storeCookies("https://example.com/",
                                    DownloadCookieJar::setCookieValues(headers));
    EXPECT_EQ(cookiesFor("https://example.com/"), "a=1; b=2; lang=en");
    soup_message_headers_unref(headers);
    EXPECT_TRUE(DownloadCookieJar::setCookieValues(nullptr).empty());
}

TEST(DownloadCookieJarTest, AcceptPolicyDecidesWhatIsStored) {
    LogCapture log;
    DownloadCookieJar::setAcceptPolicy(1);  // never
    DownloadCookieJar::storeCookies("https://example.com/", {"a=1"});
    SoupCookie* engine = soup_cookie_new("b", "2", "example.com", "/", -1);
    DownloadCookieJar::add(engine);
    EXPECT_EQ(cookiesFor("https://example.com/"), "");

    DownloadCookieJar::setAcceptPolicy(2);  // no third party
    DownloadCookieJar::storeCookies("https://ads.tracker.net/pixel", {"track=1"},
                                    "https://example.com/");
    EXPECT_EQ(cookiesFor("https://ads.tracker.net/"), "");
    DownloadCookieJar::storeCookies("https://www.example.com/", {"c=3; Domain=example.com"},
                                    "https://example.com/");
    EXPECT_EQ(cookiesFor("https://example.com/"), "c=3");

    DownloadCookieJar::setAcceptPolicy(7);
    EXPECT_TRUE(log.contains("cookie accept policy 7 is unknown"));
    EXPECT_EQ(soup_cookie_jar_get_accept_policy(DownloadCookieJar::shared()),
              SOUP_COOKIE_JAR_ACCEPT_NO_THIRD_PARTY);

    DownloadCookieJar::setAcceptPolicy(0);  // always
    DownloadCookieJar::storeCookies("https://ads.tracker.net/pixel", {"track=1"},
                                    "https://example.com/");
    DownloadCookieJar::add(engine);
    soup_cookie_free(engine);
    EXPECT_EQ(cookiesFor("https://ads.tracker.net/"), "track=1");
    EXPECT_EQ(cookiesFor("https://example.com/"), "b=2; c=3");
}
