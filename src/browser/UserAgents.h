#pragma once

#include <map>
#include <string>

// The five user agents pages can present, keyed as the user-agent menu titles them.
class UserAgents {
  public:
    static constexpr const char* kDefaultKey = "Safari-Mac";
    static constexpr const char* kMobileKey = "iPhone";

    struct SystemVersion {
        long major = 0;
        long minor = 0;
        long patch = 0;
    };

    // `engineVersion` is the engine's build version (the AppleWebKit/... token of its own
    // user agent); a system minor version standing in front of its major version is removed.
    static std::map<std::string, std::string> generate(const std::string& engineVersion,
                                                       SystemVersion system);
    static std::string webkitVersion(const std::string& engineVersion, SystemVersion system);

    // "605.1.15" from "... AppleWebKit/605.1.15 (KHTML, like Gecko) ..."; "" when absent.
    static std::string engineVersionFromUserAgent(const std::string& userAgent);
    // VERSION_ID of an os-release file's text ("12" -> 12.0.0); zeros when absent.
    static SystemVersion systemVersionFromOsRelease(const std::string& osRelease);
};
