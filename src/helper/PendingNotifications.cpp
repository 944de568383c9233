#include "helper/PendingNotifications.h"

void PendingNotifications::insert(const std::string& sender, const VLNotificationInfo& info) {
    if (!info.identifier()) {
        return;
    }
    std::lock_guard lock(mutex_);
    entries_.insert_or_assign({sender, *info.identifier()}, info);
}

std::optional<VLNotificationInfo> PendingNotifications::take(const std::string& sender,
                                                             const std::string& identifier) {
    std::lock_guard lock(mutex_);
    auto it = entries_.find({sender, identifier});
    if (it == entries_.end()) {
        return std::nullopt;
    }
    VLNotificationInfo info = std::move(it->second);
    entries_.erase(it);
    return info;
}

bool PendingNotifications::contains(const std::string& sender,
                                    const std::string& identifier) const {
    std::lock_guard lock(mutex_);
    return entries_.count({sender, identifier}) > 0;
}

std::size_t PendingNotifications::count() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}
