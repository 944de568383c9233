#include "stores/VLHistoryManager.h"

#include <algorithm>

#include <glib.h>

#include "foundation/JsonValue.h"

VLHistoryManager::~VLHistoryManager() {
    if (saveSource_ != 0) {
        g_source_remove(saveSource_);
    }
}

void VLHistoryManager::addUrl(const std::string& url, const std::string& name,
                              const std::string& date) {
    if (url.empty() || name.empty()) {
        return;
    }
    json_[name] = {{"url", url}, {"date", date}};
    scheduleSave();
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
    save();
}

bool VLHistoryManager::save() {
    if (saveSource_ != 0) {
        g_source_remove(saveSource_);
        saveSource_ = 0;
    }
    return VLManager::save();
}

void VLHistoryManager::scheduleSave() {
    if (saveSource_ != 0) {
        return;
    }
    saveSource_ = g_timeout_add(
        saveDelayMs_,
        +[](gpointer data) -> gboolean {
            auto* self = static_cast<VLHistoryManager*>(data);
            self->saveSource_ = 0;
            self->save();
            return G_SOURCE_REMOVE;
        },
        this);
}
