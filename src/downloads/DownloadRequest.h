#pragma once

#include <string>
#include <utility>
#include <vector>

// A prepared request for a download: what to fetch and how.
struct DownloadRequest {
    using Headers = std::vector<std::pair<std::string, std::string>>;
    DownloadRequest() = default;
    DownloadRequest(std::string url, std::string method = "GET", Headers headers = {})
        : url(std::move(url)), method(std::move(method)), headers(std::move(headers)) {}

    std::string url;  // absolute http or https URL
    std::string method = "GET";
    Headers headers;  // sent besides the session's own

    // Why the request cannot be sent as it stands (a method or header that would break the
    // request's framing, a URL that is no http(s) URL); empty when it can.
    std::string problem() const;
};
