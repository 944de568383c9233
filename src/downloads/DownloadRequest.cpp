#include "downloads/DownloadRequest.h"

#include <libsoup/soup.h>

#include <cstring>

namespace {
// RFC 9110 token characters: what a method or a header name may hold.
bool isToken(const std::string& text) {
    if (text.empty()) {
        return false;
    }
    for (unsigned char c : text) {
        if (c <= 0x20 || c >= 0x7f || std::strchr("\"(),/:;<=>?@[\\]{}", c)) {
            return false;
        }
    }
    return true;
}

bool isFieldValue(const std::string& text) {
    for (unsigned char c : text) {
        if ((c < 0x20 && c != '\t') || c == 0x7f) {
            return false;
        }
    }
    return true;
}
}  // namespace

std::string DownloadRequest::problem() const {
    GUri* uri = g_uri_parse(url.c_str(), static_cast<GUriFlags>(SOUP_HTTP_URI_FLAGS), nullptr);
    bool web = uri && (g_ascii_strcasecmp(g_uri_get_scheme(uri), "http") == 0 ||
                       g_ascii_strcasecmp(g_uri_get_scheme(uri), "https") == 0);
    bool hasHost = uri && g_uri_get_host(uri) && *g_uri_get_host(uri);
    if (uri) {
        g_uri_unref(uri);
    }
    if (!web || !hasHost) {
        return "not an http or https URL: \"" + url + "\"";
    }
    if (!isToken(method)) {
        return "not a valid method: \"" + method + "\"";
    }
    for (const auto& [name, value] : headers) {
        if (!isToken(name)) {
            return "not a valid header name: \"" + name + "\"";
        }
        if (!isFieldValue(value)) {
            return "header " + name + " has a value with control characters";
        }
    }
    return {};
}
