#include "filterlists/FilterListConverter.h"

#include <stdexcept>

#include "filterlists/FilterOptions.h"
#include "filterlists/UrlFilterPattern.h"

namespace {
std::string_view trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

template <class Visit>
void eachLine(std::string_view text, Visit visit) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = trim(text.substr(start, end - start));
        start = end + 1;
        if (!line.empty() && !line.starts_with('!') && !line.starts_with('[')) {
            visit(line);
        }
    }
}

// Where the options begin ("$" before them), or npos. A regex pattern may hold "$" itself.
size_t optionsAt(std::string_view line) {
    const size_t dollar = line.rfind('$');
    if (dollar == std::string_view::npos) {
        return dollar;
    }
    const bool regex = line.starts_with('/') || line.starts_with("@@/");
    if (regex && line.find('/', dollar) != std::string_view::npos) {
        return std::string_view::npos;
    }
    return dollar;
}

// The filter without its "badfilter" option: the filter that option cancels.
std::string withoutBadFilter(std::string_view line, size_t at) {
    std::string options;
    std::string_view rest = line.substr(at + 1);
    while (!rest.empty()) {
        const size_t comma = rest.find(',');
        const std::string_view option = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        if (option != "badfilter") {
            options += (options.empty() ? "" : ",") + std::string(option);
        }
    }
    return std::string(line.substr(0, at)) + (options.empty() ? "" : "$" + options);
}

nlohmann::json rule(nlohmann::json trigger, const char* action) {
    return {{"trigger", std::move(trigger)}, {"action", {{"type", action}}}};
}
}  // namespace

FilterListConverter::FilterListConverter(size_t maxRulesPerList) : maxRules_(maxRulesPerList) {}

std::string FilterListConverter::fileName(size_t index) {
    return index == 0 ? "rules.json" : "rules-" + std::to_string(index + 1) + ".json";
}

void FilterListConverter::add(std::string_view text) {
    // A "$badfilter" cancels its twin wherever it stands in the list.
    eachLine(text, [&](std::string_view line) {
        const size_t at = optionsAt(line);
        if (at != std::string_view::npos && !CosmeticFilter::isCosmetic(line) &&
            line.find("badfilter", at) != std::string_view::npos) {
            badFilters_.insert(withoutBadFilter(line, at));
        }
    });
    eachLine(text, [&](std::string_view line) { addLine(line); });
}

void FilterListConverter::addLine(std::string_view line) {
    ++report_.filters;
    if (CosmeticFilter::isCosmetic(line)) {
        addCosmetic(line);
        return;
    }
    const size_t at = optionsAt(line);
    if (at != std::string_view::npos && line.find("badfilter", at) != std::string_view::npos &&
        badFilters_.count(withoutBadFilter(line, at))) {
        skip("$badfilter");
        return;
    }
    if (badFilters_.count(line)) {
        skip("cancelled by $badfilter");
        return;
    }
    addNetwork(line);
}

void FilterListConverter::addNetwork(std::string_view line) {
    const bool exception = line.starts_with("@@");
    if (exception) {
        line.remove_prefix(2);
    }
    const size_t at = optionsAt(line);
    const std::string_view pattern = line.substr(0, at);
    const std::string_view optionText =
        at == std::string_view::npos ? std::string_view() : line.substr(at + 1);
    std::string reason;
    auto options = FilterOptions::parse(optionText, exception, reason);
    if (!options) {
        skip(reason);
        return;
    }
    auto urlFilter = UrlFilterPattern::convert(pattern, reason);
    if (!urlFilter) {
        skip(reason);
        return;
    }
    const bool hostOnly = UrlFilterPattern::isHostOnly(pattern);
    if (options->hiding() != FilterOptions::Hiding::None) {
        // Only page loads carry element hiding, so only they may turn it off.
        nlohmann::json trigger = {{"url-filter", *urlFilter}, {"resource-type", {"document"}}};
        auto& target = options->hiding() == FilterOptions::Hiding::Generic ? genericHideExceptions_
                                                                           : hideAllExceptions_;
        target.push_back(rule(std::move(trigger), "ignore-previous-rules"));
        ++report_.converted;
        return;
    }
    auto& target = exception ? exceptions_ : options->important() ? important_ : blocks_;
    for (nlohmann::json& trigger : options->triggers(*urlFilter, hostOnly)) {
        target.push_back(rule(std::move(trigger), exception ? "ignore-previous-rules" : "block"));
    }
    if (exception && hostOnly && options->names("document") && !options->hasDomains()) {
        // "@@||site^$document": nothing is blocked on that site's pages.
        std::string host(UrlFilterPattern::host(pattern));
        if (auto normal = FilterDomains::normalize(host)) {
            exceptions_.push_back(rule({{"url-filter", ".*"}, {"if-domain", {"*" + *normal}}},
                                       "ignore-previous-rules"));
        }
    }
    ++report_.converted;
}

void FilterListConverter::addCosmetic(std::string_view line) {
    std::string reason;
    auto filter = CosmeticFilter::parse(line, reason);
    if (!filter) {
        skip(reason);
        return;
    }
    ++report_.converted;
    if (!filter->exception()) {
        hides_.push_back(std::move(*filter));
        return;
    }
    auto& sites = hideExceptions_[filter->selector()];
    const auto& included = filter->domains().included();
    if (included.empty()) {
        sites.clear();
        sites.insert("");  // everywhere
    } else if (!sites.count("")) {
        sites.insert(included.begin(), included.end());
    }
}

std::vector<nlohmann::json> FilterListConverter::hidingRules(bool generic) {
    std::vector<nlohmann::json> rules;
    for (CosmeticFilter& filter : hides_) {
        if (filter.domains().included().empty() != generic) {
            continue;
        }
        auto exception = hideExceptions_.find(filter.selector());
        if (exception != hideExceptions_.end()) {
            if (exception->second.count("")) {
                skip("turned off by #@#");
                --report_.converted;
                continue;
            }
            const std::string reason = filter.domains().exclude(
                std::vector<std::string>(exception->second.begin(), exception->second.end()));
            if (!reason.empty()) {
                skip(reason == "no domain left" ? "turned off by #@#" : reason);
                --report_.converted;
                continue;
            }
        }
        nlohmann::json trigger = {{"url-filter", ".*"}};
        filter.domains().applyTo(trigger);
        rules.push_back(
            {{"trigger", std::move(trigger)},
             {"action", {{"type", "css-display-none"}, {"selector", filter.selector()}}}});
    }
    return rules;
}

std::vector<nlohmann::json> FilterListConverter::lists() {
    std::vector<nlohmann::json> body = hidingRules(true);
    body.insert(body.end(), genericHideExceptions_.begin(), genericHideExceptions_.end());
    std::vector<nlohmann::json> site = hidingRules(false);
    body.insert(body.end(), site.begin(), site.end());
    body.insert(body.end(), hideAllExceptions_.begin(), hideAllExceptions_.end());
    body.insert(body.end(), blocks_.begin(), blocks_.end());
    hides_.clear();

    const size_t tail = exceptions_.size() + important_.size();
    if (body.empty() && tail == 0) {
        return {};  // the engine refuses an empty list
    }
    if (tail >= maxRules_) {
        throw std::length_error("the exceptions alone exceed the engine's rule limit");
    }
    const size_t room = maxRules_ - tail;
    std::vector<nlohmann::json> lists;
    for (size_t start = 0; start < body.size() || lists.empty(); start += room) {
        nlohmann::json list = nlohmann::json::array();
        for (size_t i = start; i < std::min(body.size(), start + room); ++i) {
            list.push_back(std::move(body[i]));
        }
        for (const auto& rule : exceptions_) {
            list.push_back(rule);
        }
        for (const auto& rule : important_) {
            list.push_back(rule);
        }
        report_.emitted += list.size();
        lists.push_back(std::move(list));
    }
    return lists;
}
