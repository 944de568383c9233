#include "stores/VLHistoryManager.h"

#include <algorithm>

#include "foundation/JsonValue.h"

void VLHistoryManager::addUrl(const std::string& url, const std::string& name,
                              const std::string& date) {
    if (url.empty() || name.empty()) {
        return;
    }
    json_[name] = {{"url", url}, {"date", date}};
}

std::optional<std::string> VLHistoryManager::getUrlByName(const std::string& name) const {
    const nlohmann::json* entry = json_value::member(json_, name);
    return entry ? json_value::string(*entry, "url") : std::nullopt;
}

std::vector<std::string> VLHistoryManager::sortedByDateNames() const {
    struct Item {
        const std::string* date;
        const std::string* name;
    };
    std::vector<Item> items;
    items.reserve(json_.size());
    for (const auto& [name, entry] : json_.items()) {
        if (!entry.is_object()) {
            continue;
        }
        auto date = entry.find("date");
        if (date == entry.end() || !date->is_string()) {
            continue;
        }
        items.push_back({&date->get_ref<const std::string&>(), &name});
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return *a.date < *b.date; });
    std::vector<std::string> names;
    names.reserve(items.size());
    for (const Item& item : items) {
        names.push_back(*item.name);
    }
    return names;
}

void VLHistoryManager::clearHistory() {
    json_ = nlohmann::json::object();
}
