#pragma once

#include <optional>
#include <string>
#include <vector>

#include "maintenance/Image.h"

// What making an app learns from its site, fetched once: the page's title and its icon. The
// site may be unreachable, slow or hostile: every request has a short timeout and a size limit.
class SiteProbe {
  public:
    struct Site {
        std::string error;  // why the page could not be fetched; empty when it was
        std::optional<std::string> title;
        std::optional<Image> icon;
    };
    static Site probe(const std::string& url, unsigned timeoutSeconds = 8);

    // The title and the icon addresses (large first, the site's /favicon.ico last) of a page.
    struct Head {
        std::optional<std::string> title;
        std::vector<std::string> icons;
    };
    static Head parseHead(const std::string& html, const std::string& pageUrl);
};
