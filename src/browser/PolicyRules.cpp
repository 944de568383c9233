#include "browser/PolicyRules.h"

#include <glib.h>

#include <vector>

#include "foundation/GObjectPtr.h"
#include "foundation/Url.h"

namespace {
std::vector<std::string> split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        if (at == std::string::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}

bool contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

std::string percentDecoded(const std::string& text) {
    GCharPtr decoded(g_uri_unescape_string(text.c_str(), nullptr));
    // Undecodable text (a stray %, bytes that are not UTF-8) is read as it stands.
    if (!decoded || !g_utf8_validate(decoded.get(), -1, nullptr)) {
        return text;
    }
    return decoded.get();
}

std::string withoutDirectories(std::string name) {
    auto slash = name.find_last_of("/\\");
    if (slash != std::string::npos) {
        name = name.substr(slash + 1);
    }
    // A leading dot would hide the file (or name "." and ".."): drop it.
    name.erase(0, name.find_first_not_of('.'));
    return name;
}
}  // namespace

std::string PolicyRules::getRootDomain(const std::string& host) {
    std::vector<std::string> labels = split(host, ".");
    if (labels.size() < 3) {
        return host;
    }
    std::string root;
    for (size_t i = 1; i < labels.size(); ++i) {
        root += (i > 1 ? "." : "") + labels[i];
    }
    return root;
}

std::optional<std::string> PolicyRules::extractFileName(const std::string& header) {
    const std::string decoded = percentDecoded(header);
    std::vector<std::string> pieces = split(decoded, "filename");
    if (pieces.size() < 2) {
        return std::nullopt;
    }
    std::vector<std::string> afterEquals = split(pieces[1], "=\"");
    std::string name = split(afterEquals.back(), "\"").front();
    if (auto utf8 = decoded.rfind("UTF-8''"); utf8 != std::string::npos) {
        name = decoded.substr(utf8 + 7);
    }
    name = withoutDirectories(name);
    if (name.empty()) {
        return std::nullopt;
    }
    return name;
}

std::optional<std::string> PolicyRules::safeFileName(const std::string& name) {
    std::string safe = withoutDirectories(name);
    if (safe.empty()) {
        return std::nullopt;
    }
    return safe;
}

bool PolicyRules::isWebAddress(const std::string& url) {
    return url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0;
}

std::string PolicyRules::judgedUrl(const std::optional<std::string>& sourceUrl,
                                   const std::string& responseUrl) {
    const std::string& start = sourceUrl ? *sourceUrl : responseUrl;
    auto startUrl = Url::parse(start);
    auto response = Url::parse(responseUrl);
    std::string startRoot = startUrl ? getRootDomain(startUrl->host()) : std::string();
    std::string responseRoot = response ? getRootDomain(response->host()) : std::string();
    return startRoot == responseRoot ? start : responseUrl;
}

bool PolicyRules::isAttachment(const std::string& header) {
    const auto first = header.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return false;
    }
    const auto end = header.find_first_of("; \t", first);
    const std::string type = header.substr(first, end == std::string::npos ? end : end - first);
    return g_ascii_strcasecmp(type.c_str(), "attachment") == 0;
}

bool PolicyRules::canFetchAgain(const std::string& method, const std::string& url) {
    return (method.empty() || g_ascii_strcasecmp(method.c_str(), "GET") == 0) && isWebAddress(url);
}

std::string PolicyRules::lastPathComponent(const std::string& url) {
    std::string text = url;
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    auto slash = text.find_last_of('/');
    return slash == std::string::npos ? text : text.substr(slash + 1);
}

PolicyRules::ResponseDecision PolicyRules::decideResponse(const Response& response) {
    ResponseDecision decision;
    std::string fileName;
    if (response.contentDisposition) {
        fileName = extractFileName(*response.contentDisposition).value_or("");
    }
    if (!response.mainFrame) {
        if (!fileName.empty() && response.contentDisposition &&
            contains(*response.contentDisposition, "attachment")) {
            decision.kind = ResponseDecision::Kind::Download;
            decision.fileName = fileName;
        }
        return decision;
    }
    if (fileName.empty()) {
        fileName = withoutDirectories(lastPathComponent(response.url));
    }
    const std::string& mime = response.mimeType;
    // An attachment is saved whatever its type: a site's CSV export or calendar invitation is
    // meant for a file, not for the window.
    if (response.contentDisposition && isAttachment(*response.contentDisposition)) {
        decision.kind = ResponseDecision::Kind::Download;
        decision.fileName = fileName;
    } else if (contains(mime, "application") || contains(mime, "audio") ||
               contains(mime, "binary") || contains(mime, "video")) {
        decision.kind = ResponseDecision::Kind::Download;
        decision.fileName = fileName;
    } else if (contains(mime, "image")) {
        // An address with a query names no file: show the image instead of saving it.
        if (fileName.find('?') == std::string::npos) {
            decision.kind = ResponseDecision::Kind::Download;
            decision.fileName = fileName;
        }
    } else if (response.needToDownload && contains(mime, "html")) {
        decision.kind = ResponseDecision::Kind::Download;
        decision.fileName = fileName + ".html";
        decision.clearsDownloadFlag = true;
    }
    return decision;
}
