#pragma once

#include <optional>
#include <string>
#include <vector>

#include "stores/VLManager.h"

// Page title -> {"url", "date"} (history.json). A later visit to a page of the same title
// replaces the earlier entry.
class VLHistoryManager : public VLManager {
  public:
    static VLHistoryManager& sharedManager() { return sharedStore<VLHistoryManager>(); }

    std::string getPath() override { return pathInSettingsFolder("history.json"); }

    void addUrl(const std::string& url, const std::string& name, const std::string& date);
    std::optional<std::string> getUrlByName(const std::string& name) const;
    // Titles, oldest first by plain comparison of their date texts; entries of the wrong shape
    // are left out.
    std::vector<std::string> sortedByDateNames() const;
    void clearHistory();
};
