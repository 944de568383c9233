#pragma once

#include <optional>
#include <string>
#include <vector>

#include "stores/VLManager.h"

// Page title -> {"url", "date"} (history.json). A later visit to a page of the same title
// replaces the earlier entry.
class VLHistoryManager : public VLManager {
  public:
    VLHistoryManager() = default;
    ~VLHistoryManager() override;

    static VLHistoryManager& sharedManager() { return sharedStore<VLHistoryManager>(); }

    std::string getPath() override { return pathInSettingsFolder("history.json"); }

    // Saved a few seconds later, once for a burst of page loads.
    void addUrl(const std::string& url, const std::string& name, const std::string& date);
    std::optional<std::string> getUrlByName(const std::string& name) const;
    // Titles, oldest first by plain comparison of their date texts; entries of the wrong shape
    // are left out.
    std::vector<std::string> sortedByDateNames() const;
    // Saved at once, so cleared history never comes back.
    void clearHistory();
    bool save() override;

    static constexpr unsigned kSaveDelayMs = 3000;
    // Tests shorten the wait.
    void setSaveDelay(unsigned milliseconds) { saveDelayMs_ = milliseconds; }

  private:
    void scheduleSave();

    unsigned saveDelayMs_ = kSaveDelayMs;
    unsigned saveSource_ = 0;
};
