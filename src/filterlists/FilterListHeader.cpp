#include "filterlists/FilterListHeader.h"

namespace {
std::string_view trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}
}  // namespace

FilterListHeader FilterListHeader::read(std::string_view text) {
    FilterListHeader header;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = trim(text.substr(start, end - start));
        start = end + 1;
        if (line.starts_with('[') || line.empty()) {
            continue;
        }
        if (!line.starts_with('!')) {
            break;  // the header ends with the first filter
        }
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        const std::string_view key = trim(line.substr(1, colon - 1));
        const std::string_view value = trim(line.substr(colon + 1));
        if (value.empty() || value.find('%') != std::string_view::npos) {
            continue;
        }
        if (key == "Title") {
            header.title = value;
        } else if (key == "Version") {
            header.version = value;
        } else if (key == "Last modified" || key == "Last Modified") {
            header.lastModified = value;
        }
    }
    return header;
}

nlohmann::json FilterListHeader::toJson() const {
    nlohmann::json out = nlohmann::json::object();
    if (!title.empty()) {
        out["title"] = title;
    }
    if (!version.empty()) {
        out["version"] = version;
    }
    if (!lastModified.empty()) {
        out["lastModified"] = lastModified;
    }
    return out;
}
