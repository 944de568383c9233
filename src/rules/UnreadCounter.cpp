#include "rules/UnreadCounter.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {
void removeAll(std::string& text, const std::string& piece) {
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at)) {
        text.erase(at, piece.size());
    }
}

long leadingNumber(const std::optional<std::string>& text) {
    return text ? std::strtol(text->c_str(), nullptr, 10) : 0;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t at = text.find(separator); at != std::string::npos;
         start = at + 1, at = text.find(separator, start)) {
        fields.push_back(text.substr(start, at - start));
    }
    fields.push_back(text.substr(start));
    return fields;
}

// "(12)" or "(99+)" at `at`; the count inside, or nothing.
std::optional<std::string> parenthesisedCount(const std::string& text, size_t at, size_t* end) {
    if (at >= text.size() || text[at] != '(') {
        return std::nullopt;
    }
    size_t i = at + 1;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    if (i == at + 1 || i - at > 6) {
        return std::nullopt;
    }
    if (i < text.size() && text[i] == '+') {
        ++i;
    }
    if (i >= text.size() || text[i] != ')') {
        return std::nullopt;
    }
    *end = i + 1;
    return text.substr(at + 1, i - at - 1);
}
}  // namespace

UnreadCounter::Outcome UnreadCounter::update(const Result& result,
                                             const std::optional<std::string>& dockLabel,
                                             Settings settings) {
    Outcome outcome;
    const bool present = !std::holds_alternative<std::monostate>(result);
    if (present && !settings.dockBadge) {
        return outcome;
    }
    // An announcement that repeats what the badge says already is left out.
    auto announce = [&](const std::string& text) {
        if (settings.userNotifications && text != dockLabel) {
            outcome.announce.push_back(text);
        }
    };
    outcome.changed = true;
    if (const auto* rows = std::get_if<std::vector<std::string>>(&result); rows && !rows->empty()) {
        for (std::string row : *rows) {
            removeAll(row, "selected,");
            removeAll(row, "unread,");
            if (std::find(announced_.begin(), announced_.end(), row) == announced_.end()) {
                announce(row);
                announced_.push_back(row);
            }
        }
        outcome.badge = std::to_string(rows->size());
        outcome.dockLabel = outcome.badge;
        return outcome;
    }
    if (const auto* count = std::get_if<std::string>(&result)) {
        if (*count == "0") {
            outcome.badge = "";
            return outcome;
        }
        if (leadingNumber(*count) > leadingNumber(dockLabel)) {
            announce(*count);
        }
        outcome.badge = *count;
        outcome.dockLabel = *count;
        return outcome;
    }
    // Nothing, or an empty list: an unread message seen again later is announced again.
    outcome.badge = "";
    announced_.clear();
    return outcome;
}

UnreadCounter::Notice UnreadCounter::noticeFor(const std::string& text, const std::string& host) {
    std::vector<std::string> fields = split(text, ',');
    if (fields.size() >= 4) {
        return {fields[0], fields[1], fields[3]};
    }
    return {text + " New Messages.", "", host};
}

std::optional<std::string> UnreadCounter::countInTitle(const std::string& title) {
    size_t end = 0;
    if (auto count = parenthesisedCount(title, 0, &end)) {
        return count;
    }
    const size_t trimmed = title.find_last_not_of(' ');
    if (trimmed == std::string::npos) {
        return std::nullopt;
    }
    const size_t open = title.rfind('(', trimmed);
    if (auto count =
            parenthesisedCount(title, open == std::string::npos ? title.size() : open, &end);
        count && end == trimmed + 1) {
        return count;
    }
    return std::nullopt;
}
