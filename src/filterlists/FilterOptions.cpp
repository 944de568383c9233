#include "filterlists/FilterOptions.h"

#include <map>

namespace {
// Filter-list request types and the engine's names for them ("subdocument" and "document" are
// both the engine's "document", told apart by the frame).
const std::map<std::string, std::string, std::less<>>& engineTypes() {
    static const std::map<std::string, std::string, std::less<>> types = {
        {"script", "script"},
        {"image", "image"},
        {"stylesheet", "style-sheet"},
        {"xmlhttprequest", "fetch"},
        {"media", "media"},
        {"font", "font"},
        {"ping", "ping"},
        {"websocket", "websocket"},
        {"other", "other"},
        {"object", "other"},
        {"subdocument", "document"},
        {"document", "document"}};
    return types;
}

const std::map<std::string, std::string, std::less<>>& aliases() {
    static const std::map<std::string, std::string, std::less<>> names = {
        {"xhr", "xmlhttprequest"}, {"css", "stylesheet"}, {"frame", "subdocument"},
        {"doc", "document"},       {"beacon", "ping"},    {"object-subrequest", "object"},
        {"3p", "third-party"},     {"1p", "first-party"}, {"from", "domain"},
        {"ghide", "generichide"},  {"ehide", "elemhide"}, {"popunder", "popup"}};
    return names;
}

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}
}  // namespace

std::optional<FilterOptions> FilterOptions::parse(std::string_view text, bool exception,
                                                  std::string& reason) {
    FilterOptions options;
    std::set<std::string> included;
    std::set<std::string> excluded;
    bool popup = false;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view option = text.substr(start, end - start);
        start = end + 1;
        const bool negated = option.starts_with('~');
        if (negated) {
            option.remove_prefix(1);
        }
        const size_t equals = option.find('=');
        std::string name = lower(option.substr(0, equals));
        const std::string_view value =
            equals == std::string_view::npos ? std::string_view() : option.substr(equals + 1);
        if (auto alias = aliases().find(name); alias != aliases().end()) {
            name = alias->second;
        }
        if (name.empty()) {
            continue;
        }
        if (engineTypes().count(name)) {
            (negated ? excluded : included).insert(name);
        } else if (name == "all" && !negated) {
            for (const auto& [type, engine] : engineTypes()) {
                included.insert(type);
            }
        } else if (name == "popup") {
            popup = !negated;
        } else if (name == "third-party" || name == "first-party") {
            options.party_ = (name == "third-party") != negated ? Party::Third : Party::First;
        } else if (name == "match-case" && !negated) {
            options.matchCase_ = true;
        } else if (name == "important" && !negated) {
            options.important_ = !exception;
        } else if (name == "domain" && !negated) {
            auto domains = FilterDomains::parse(value, '|', reason);
            if (!domains) {
                return std::nullopt;
            }
            options.domains_ = std::move(*domains);
        } else if (exception && !negated && name == "generichide") {
            options.hiding_ = Hiding::Generic;
        } else if (exception && !negated && name == "elemhide") {
            options.hiding_ = Hiding::All;
        } else {
            reason = "$" + name;
            return std::nullopt;
        }
    }
    if (popup && included.empty()) {
        reason = "$popup";
        return std::nullopt;
    }
    options.typed_ = !included.empty() || !excluded.empty();
    if (included.empty()) {
        // Unnamed, a filter covers every request but the top page; an exception covers all.
        for (const auto& [type, engine] : engineTypes()) {
            if (exception || type != "document") {
                included.insert(type);
            }
        }
    }
    for (const std::string& type : excluded) {
        included.erase(type);
    }
    if (included.empty()) {
        reason = "no request type";
        return std::nullopt;
    }
    options.types_ = std::move(included);
    return options;
}

std::vector<nlohmann::json> FilterOptions::triggers(const std::string& urlFilter,
                                                    bool hostOnly) const {
    nlohmann::json trigger = {{"url-filter", urlFilter}};
    if (matchCase_) {
        trigger["url-filter-is-case-sensitive"] = true;
    }
    if (party_ != Party::Any) {
        trigger["load-type"] = {party_ == Party::Third ? "third-party" : "first-party"};
    }
    domains_.applyTo(trigger);
    // A whole ad host is blocked even as the top page, as other blockers do.
    if (!typed_ && (hostOnly || types_.count("document"))) {
        return {trigger};
    }
    std::set<std::string> engine;
    for (const std::string& type : types_) {
        if (type != "subdocument") {
            engine.insert(engineTypes().find(type)->second);
        }
    }
    std::vector<nlohmann::json> result;
    if (!engine.empty()) {
        nlohmann::json typed = trigger;
        typed["resource-type"] = engine;
        result.push_back(std::move(typed));
    }
    if (types_.count("subdocument") && !types_.count("document")) {
        nlohmann::json frame = trigger;
        frame["resource-type"] = {"document"};
        frame["load-context"] = {"child-frame"};
        result.push_back(std::move(frame));
    }
    return result;
}
