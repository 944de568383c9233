#pragma once

#include <optional>
#include <string>
#include <vector>

class VLWhiteListManager;

// The whitelist that makes an app a site-specific browser: the site's own domain and every host
// under it stay inside, every other link goes to the default browser.
class SiteWhitelist {
  public:
    // The domain a site's hosts share: the registrable domain by the public suffix list
    // (www.bbc.co.uk gives bbc.co.uk), else the host itself (an address, localhost), with the
    // port when the URL names one. Absent for text without a host.
    static std::optional<std::string> siteDomain(const std::string& url);
    // Patterns that match that domain and its subdomains, and not hosts that merely end in the
    // same letters (notexample.org) or carry the domain inside their own (example.org.evil).
    static std::vector<std::string> patterns(const std::string& url);
    // Puts the store in allow-list mode with the site's patterns alone; false (store untouched)
    // when the URL names no host. The caller saves.
    static bool apply(VLWhiteListManager& store, const std::string& url);
};
