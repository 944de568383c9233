#include "browser/UserAgents.h"

#include <cstdlib>
#include <sstream>

std::string UserAgents::webkitVersion(const std::string& engineVersion, SystemVersion system) {
    // A build number such as "15610.1.28" carries the system's minor version in front of the
    // engine's own major version; that prefix goes. A public engine version ("605.1.15") has no
    // such prefix and stays whole, whatever digits it shares with the system's version.
    const std::string minor = std::to_string(system.minor);
    const std::string major = engineVersion.substr(0, engineVersion.find('.'));
    if (major.size() > 3 && major.rfind(minor, 0) == 0) {
        return engineVersion.substr(minor.size());
    }
    return engineVersion;
}

std::map<std::string, std::string> UserAgents::generate(const std::string& engineVersion,
                                                        SystemVersion system) {
    const std::string webkit = webkitVersion(engineVersion, system);
    return {
        {"Safari-Mac",
         "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/605.1.15 (KHTML, like "
         "Gecko) Version/15.0 Safari/605.1.15"},
        {"Firefox-Mac", "Mozilla/5.0 (Macintosh; Intel Mac OS X " + std::to_string(system.major) +
                            "." + std::to_string(system.minor) +
                            "; rv:83.0) Gecko/20100101 Firefox/83.0"},
        {"Chrome-Mac",
         "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/537.36 (KHTML, like "
         "Gecko) Chrome/94.0.4606.81 Safari/537.36"},
        {"iPhone", "Mozilla/5.0 (iPhone; CPU iPhone OS 14_2 like Mac OS X) AppleWebKit/" + webkit +
                       " (KHTML, like Gecko) Version/10.0 Mobile/14E8301 Safari/" + webkit},
        {"iPad", "Mozilla/5.0 (iPad; CPU OS 14_2 like Mac OS X) AppleWebKit/" + webkit +
                     " (KHTML, like Gecko) Version/10.0 Mobile/14E8301 Safari/" + webkit},
    };
}

std::string UserAgents::engineVersionFromUserAgent(const std::string& userAgent) {
    static const std::string token = "AppleWebKit/";
    auto at = userAgent.find(token);
    if (at == std::string::npos) {
        return {};
    }
    at += token.size();
    auto end = userAgent.find_first_of(" (", at);
    return userAgent.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

UserAgents::SystemVersion UserAgents::systemVersionFromOsRelease(const std::string& osRelease) {
    std::istringstream lines(osRelease);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("VERSION_ID=", 0) != 0) {
            continue;
        }
        std::string value = line.substr(11);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')) {
            value = value.substr(1, value.size() - 2);
        }
        SystemVersion version;
        const char* cursor = value.c_str();
        char* end = nullptr;
        long* parts[] = {&version.major, &version.minor, &version.patch};
        for (long* part : parts) {
            long number = std::strtol(cursor, &end, 10);
            if (end == cursor) {
                break;
            }
            *part = number;
            if (*end != '.') {
                break;
            }
            cursor = end + 1;
        }
        return version;
    }
    return {};
}
