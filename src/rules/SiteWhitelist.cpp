#include "rules/SiteWhitelist.h"

#include <glib.h>
#include <libsoup/soup.h>

#include "foundation/GObjectPtr.h"
#include "rules/VLWhiteListManager.h"

namespace {
struct UriDeleter {
    void operator()(GUri* uri) const { g_uri_unref(uri); }
};

bool isAddress(const std::string& host) {
    return g_hostname_is_ip_address(host.c_str());
}
}  // namespace

std::optional<std::string> SiteWhitelist::siteDomain(const std::string& url) {
    std::unique_ptr<GUri, UriDeleter> uri(g_uri_parse(url.c_str(), G_URI_FLAGS_NONE, nullptr));
    const char* rawHost = uri ? g_uri_get_host(uri.get()) : nullptr;
    if (!rawHost || !*rawHost) {
        return std::nullopt;
    }
    GCharPtr lower(g_ascii_strdown(rawHost, -1));
    std::string host = lower.get();
    std::string domain = host;
    if (isAddress(host)) {
        if (host.find(':') != std::string::npos) {
            domain = "[" + host + "]";
        }
    } else if (const char* base = soup_tld_get_base_domain(host.c_str(), nullptr)) {
        domain = base;
    }
    const int port = g_uri_get_port(uri.get());
    const std::string scheme = g_uri_get_scheme(uri.get()) ? g_uri_get_scheme(uri.get()) : "";
    const bool defaultPort = (scheme == "http" && port == 80) || (scheme == "https" && port == 443);
    if (port > 0 && !defaultPort) {
        domain += ":" + std::to_string(port);
    }
    return domain;
}

std::vector<std::string> SiteWhitelist::patterns(const std::string& url) {
    std::optional<std::string> domain = siteDomain(url);
    if (!domain) {
        return {};
    }
    // Pieces match anywhere in the URL, so each carries what stands before and after a host.
    std::vector<std::string> out = {"://" + *domain + "/"};
    std::unique_ptr<GUri, UriDeleter> uri(g_uri_parse(url.c_str(), G_URI_FLAGS_NONE, nullptr));
    if (!isAddress(g_uri_get_host(uri.get()))) {
        out.push_back("." + *domain + "/");
    }
    return out;
}

bool SiteWhitelist::apply(VLWhiteListManager& store, const std::string& url) {
    std::vector<std::string> site = patterns(url);
    if (site.empty()) {
        return false;
    }
    store.setAllowAll(false);
    store.setAllowPatterns(true);
    // The patterns name the subdomains themselves; widening would drop the "://".
    store.setAllowSubdomains(false);
    store.removeAllPatterns();
    for (const std::string& pattern : site) {
        store.addPattern(pattern);
    }
    return true;
}
