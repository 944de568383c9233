#pragma once

#include <string>

// An error value shown to the user: a domain, a code and a localized description.
struct Error {
    std::string domain;
    long code = 0;
    std::string localizedDescription;
    bool operator==(const Error&) const = default;
};
