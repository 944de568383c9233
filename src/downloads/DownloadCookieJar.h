#pragma once

#include <libsoup/soup.h>

#include <string>
#include <vector>

// The process-wide cookie jar of downloads (the shared HTTP cookie storage): every download
// session sends and stores its cookies here. Main thread only.
class DownloadCookieJar {
  public:
    // Created on first use, never released.
    static SoupCookieJar* shared();

    // Stores the cookies of a response's Set-Cookie header values as the response to
    // `responseUrl` set them, for a page whose main document came from `firstPartyUrl` (the
    // response's own URL when empty). Unreadable or foreign cookies are left out with a log line.
    static void storeCookies(const std::string& responseUrl,
                             const std::vector<std::string>& setCookieHeaderValues,
                             const std::string& firstPartyUrl = {});
    // Every Set-Cookie value of response headers, one per header line (joining them would break
    // cookies whose Expires date holds a comma).
    static std::vector<std::string> setCookieValues(SoupMessageHeaders* headers);
    // A cookie copied from the web engine (not taken over; the jar keeps a copy).
    static void add(SoupCookie* cookie);
    // 0 always, 1 never, 2 not from third parties; other values are logged and ignored.
    static void setAcceptPolicy(unsigned long policy);
};
