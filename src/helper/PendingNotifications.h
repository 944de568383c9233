#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "helper/VLNotificationInfo.h"

// The notifications shown and not yet activated or dismissed, by the shell connection that
// posted them and their identifier. Reached from the D-Bus handlers and the notification
// call-backs, so every access holds the table's lock.
class PendingNotifications {
  public:
    // Replaces an entry with the same sender and identifier. `info` must carry an identifier.
    void insert(const std::string& sender, const VLNotificationInfo& info);
    // Removes and returns the entry.
    std::optional<VLNotificationInfo> take(const std::string& sender,
                                           const std::string& identifier);
    bool contains(const std::string& sender, const std::string& identifier) const;
    std::size_t count() const;

  private:
    mutable std::mutex mutex_;
    std::map<std::pair<std::string, std::string>, VLNotificationInfo> entries_;
};
