#include "foundation/Url.h"

#include <glib.h>

#include <cctype>

#include "foundation/GObjectPtr.h"

namespace {
bool allowedCharacter(unsigned char c) {
    if (std::isalnum(c)) {
        return true;
    }
    static const std::string allowed = "-._~:/?#[]@!$&'()*+,;=%";
    return allowed.find(static_cast<char>(c)) != std::string::npos;
}

bool wellFormed(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (!allowedCharacter(c)) {
            return false;
        }
        if (c == '%') {
            if (i + 2 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i + 1])) ||
                !std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
                return false;
            }
        }
    }
    return true;
}

// A scheme is a letter followed by letters, digits, + - . and then a colon.
bool hasScheme(const std::string& text) {
    if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    for (size_t i = 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == ':') {
            return true;
        }
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return false;
}

struct UriDeleter {
    void operator()(GUri* uri) const { g_uri_unref(uri); }
};
}  // namespace

std::optional<Url> Url::parse(const std::string& text) {
    if (!wellFormed(text)) {
        return std::nullopt;
    }
    Url url;
    url.text_ = text;
    if (!hasScheme(text)) {
        // A relative reference: keep the parts that exist without a base.
        std::string rest = text;
        if (auto hash = rest.find('#'); hash != std::string::npos) {
            url.fragment_ = rest.substr(hash + 1);
            rest.resize(hash);
        }
        if (auto question = rest.find('?'); question != std::string::npos) {
            url.query_ = rest.substr(question + 1);
            rest.resize(question);
        }
        url.path_ = rest;
        return url;
    }
    GErrorPtr error;
    std::unique_ptr<GUri, UriDeleter> uri(g_uri_parse(
        text.c_str(), static_cast<GUriFlags>(G_URI_FLAGS_ENCODED | G_URI_FLAGS_HAS_PASSWORD),
        error.out()));
    if (!uri) {
        return std::nullopt;
    }
    auto text_or_empty = [](const char* s) { return s ? std::string(s) : std::string(); };
    url.scheme_ = text_or_empty(g_uri_get_scheme(uri.get()));
    url.host_ = text_or_empty(g_uri_get_host(uri.get()));
    if (int port = g_uri_get_port(uri.get()); port >= 0) {
        url.port_ = port;
    }
    url.path_ = text_or_empty(g_uri_get_path(uri.get()));
    url.query_ = text_or_empty(g_uri_get_query(uri.get()));
    url.fragment_ = text_or_empty(g_uri_get_fragment(uri.get()));
    url.user_ = text_or_empty(g_uri_get_user(uri.get()));
    return url;
}

std::string Url::hostOf(const std::string& text) {
    auto parsed = parse(text);
    return parsed ? parsed->host() : std::string();
}
