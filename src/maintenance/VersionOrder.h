#pragma once

#include <string_view>

// Version texts ordered the way the platform's numeric string comparison orders them: runs of
// digits compare by their value (so 1.10 follows 1.9), every other character by its code.
class VersionOrder {
  public:
    // Negative when `a` comes before `b`, zero when they are equal, positive after.
    static int compare(std::string_view a, std::string_view b);
    static bool isOlder(std::string_view version, std::string_view than) {
        return compare(version, than) < 0;
    }
};
