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
    // One client cannot make the helper hold more than this; its oldest entry goes first.
    static constexpr std::size_t kMaxPerSender = 64;

    // Replaces an entry with the same sender and identifier. `info` must carry an identifier.
    void insert(const std::string& sender, const VLNotificationInfo& info);
    // Forgets every entry of a connection that has left the bus; returns how many.
    std::size_t dropSender(const std::string& sender);
    // Removes and returns the entry.
    std::optional<VLNotificationInfo> take(const std::string& sender,
                                           const std::string& identifier);
    bool contains(const std::string& sender, const std::string& identifier) const;
    std::size_t count() const;

  private:
    mutable std::mutex mutex_;
    struct Entry {
        VLNotificationInfo info;
        unsigned long long order;
    };
    // Ordered by sender first, so one sender's entries are neighbours.
    std::map<std::pair<std::string, std::string>, Entry> entries_;
    unsigned long long nextOrder_ = 0;
};
