#pragma once

#include <optional>
#include <string>

// The decisions of the navigation and response policy, apart from the web engine.
class PolicyRules {
  public:
    // The host without its first label when it has three or more labels.
    static std::string getRootDomain(const std::string& host);

    // The file name a Content-Disposition value names, or nothing. Directory parts are dropped
    // so a hostile header cannot name a path outside the chosen folder.
    static std::optional<std::string> extractFileName(const std::string& header);

    // A file name without directory parts, or nothing when none is left.
    static std::optional<std::string> safeFileName(const std::string& name);

    // Only http:// and https:// addresses are web addresses; others go to their application.
    static bool isWebAddress(const std::string& url);

    // The address the whitelist judges for a main-frame response: the address the navigation
    // started from while it stays in the same root domain, else the response's own.
    static std::string judgedUrl(const std::optional<std::string>& sourceUrl,
                                 const std::string& responseUrl);

    // Whether a Content-Disposition value's type is "attachment" (case-insensitive).
    static bool isAttachment(const std::string& header);

    // Whether the download queue can fetch the address again for a download: only a plain GET
    // of a web address can; a POST's answer, blob: and data: exist only in the engine.
    static bool canFetchAgain(const std::string& method, const std::string& url);

    // The last path component of an address as text ("b.pdf?x=1" for ".../a/b.pdf?x=1").
    static std::string lastPathComponent(const std::string& url);

    struct Response {
        bool mainFrame = true;
        std::string url;
        std::string mimeType;
        std::optional<std::string> contentDisposition;
        bool needToDownload = false;
    };
    struct ResponseDecision {
        enum class Kind { Show, Download };
        Kind kind = Kind::Show;
        std::string fileName;  // for a download
        bool clearsDownloadFlag = false;
    };
    static ResponseDecision decideResponse(const Response& response);
};
