#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

// What a filter list says about itself in its first comment lines ("! Title: EasyList",
// "! Version: 202501010000", "! Last modified: ..."); template placeholders such as
// "%timestamp%" count as absent.
class FilterListHeader {
  public:
    static FilterListHeader read(std::string_view text);

    std::string title;
    std::string version;
    std::string lastModified;

    // {"title": ..., "version": ..., "lastModified": ...} without the absent ones.
    nlohmann::json toJson() const;
};
