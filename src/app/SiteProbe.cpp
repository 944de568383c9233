#include "app/SiteProbe.h"

#include <libsoup/soup.h>
#include <libxml/HTMLparser.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "foundation/GObjectPtr.h"

namespace {
constexpr size_t kMaxBytes = 2 * 1024 * 1024;

struct DocDeleter {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

std::string attribute(xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    std::string out = value ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return out;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Blanks and control characters collapsed to single spaces, invalid UTF-8 repaired.
std::string cleanText(const std::string& raw) {
    GCharPtr valid(g_utf8_make_valid(raw.c_str(), static_cast<gssize>(raw.size())));
    std::string out;
    bool blank = false;
    for (const char* p = valid.get(); *p; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c == 0x7f || c == ' ') {
            blank = !out.empty();
            continue;
        }
        if (blank) {
            out += ' ';
            blank = false;
        }
        out += *p;
    }
    return out;
}

struct IconLink {
    std::string url;
    int rank;
};

void walk(xmlNode* node, const std::string& pageUrl, SiteProbe::Head& head,
          std::vector<IconLink>& icons) {
    for (; node; node = node->next) {
        if (node->type == XML_ELEMENT_NODE) {
            const std::string tag = lower(reinterpret_cast<const char*>(node->name));
            if (tag == "title" && !head.title) {
                xmlChar* content = xmlNodeGetContent(node);
                std::string title = cleanText(content ? reinterpret_cast<char*>(content) : "");
                xmlFree(content);
                if (!title.empty()) {
                    head.title = title;
                }
            } else if (tag == "link") {
                const std::string rel = " " + lower(attribute(node, "rel")) + " ";
                const std::string href = attribute(node, "href");
                if (href.empty() || rel.find("icon") == std::string::npos) {
                    continue;
                }
                GCharPtr resolved(g_uri_resolve_relative(pageUrl.c_str(), href.c_str(),
                                                         G_URI_FLAGS_NONE, nullptr));
                const std::string url = resolved ? resolved.get() : "";
                if (url.rfind("http://", 0) != 0 && url.rfind("https://", 0) != 0) {
                    continue;
                }
                // Touch icons are large; otherwise the largest size the page names.
                int rank = rel.find("apple-touch-icon") != std::string::npos ? 100000 : 0;
                rank += std::atoi(attribute(node, "sizes").c_str());
                icons.push_back({url, rank});
            }
            walk(node->children, pageUrl, head, icons);
        }
    }
}

// The body of a GET, at most kMaxBytes; empty with `error` set on failure.
std::string fetch(SoupSession* session, const std::string& url, std::string& error) {
    auto message = GObjectPtr<SoupMessage>::adopt(soup_message_new("GET", url.c_str()));
    if (!message) {
        error = "not a web address";
        return {};
    }
    GErrorPtr failure;
    auto stream = GObjectPtr<GInputStream>::adopt(
        soup_session_send(session, message.get(), nullptr, failure.out()));
    if (!stream) {
        error = failure.message();
        return {};
    }
    const unsigned status = soup_message_get_status(message.get());
    if (status < 200 || status >= 300) {
        error = "the server answered " + std::to_string(status);
        return {};
    }
    std::string body;
    char buffer[65536];
    while (body.size() < kMaxBytes) {
        gssize n = g_input_stream_read(stream.get(), buffer, sizeof buffer, nullptr, failure.out());
        if (n < 0) {
            error = failure.message();
            return {};
        }
        if (n == 0) {
            break;
        }
        body.append(buffer, static_cast<size_t>(n));
    }
    g_input_stream_close(stream.get(), nullptr, nullptr);
    return body;
}
}  // namespace

SiteProbe::Head SiteProbe::parseHead(const std::string& html, const std::string& pageUrl) {
    Head head;
    std::vector<IconLink> icons;
    std::unique_ptr<xmlDoc, DocDeleter> doc(htmlReadMemory(
        html.data(), static_cast<int>(std::min(html.size(), kMaxBytes)), pageUrl.c_str(), nullptr,
        HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET));
    if (doc) {
        walk(xmlDocGetRootElement(doc.get()), pageUrl, head, icons);
    }
    std::stable_sort(icons.begin(), icons.end(),
                     [](const IconLink& a, const IconLink& b) { return a.rank > b.rank; });
    for (const IconLink& icon : icons) {
        head.icons.push_back(icon.url);
    }
    GCharPtr fallback(
        g_uri_resolve_relative(pageUrl.c_str(), "/favicon.ico", G_URI_FLAGS_NONE, nullptr));
    if (fallback &&
        std::find(head.icons.begin(), head.icons.end(), fallback.get()) == head.icons.end()) {
        head.icons.push_back(fallback.get());
    }
    return head;
}

SiteProbe::Site SiteProbe::probe(const std::string& url, unsigned timeoutSeconds) {
    Site site;
    auto session = GObjectPtr<SoupSession>::adopt(soup_session_new_with_options(
        "timeout", timeoutSeconds, "idle-timeout", timeoutSeconds, "user-agent",
        "Mozilla/5.0 (X11; Linux x86_64) Sitebox", nullptr));
    const std::string html = fetch(session.get(), url, site.error);
    if (!site.error.empty()) {
        return site;
    }
    Head head = parseHead(html, url);
    site.title = head.title;
    // A few tries at most: a page may name many icons.
    for (size_t i = 0; i < head.icons.size() && i < 3 && !site.icon; ++i) {
        std::string error;
        const std::string bytes = fetch(session.get(), head.icons[i], error);
        if (error.empty() && !bytes.empty()) {
            site.icon = Image::fromData(bytes);
        }
    }
    return site;
}
