#include "helper/PendingNotifications.h"

namespace {
using Key = std::pair<std::string, std::string>;
}

void PendingNotifications::insert(const std::string& sender, const VLNotificationInfo& info) {
    if (!info.identifier()) {
        return;
    }
    std::lock_guard lock(mutex_);
    const Key key{sender, *info.identifier()};
    if (!entries_.count(key)) {
        auto first = entries_.lower_bound({sender, std::string()});
        auto oldest = entries_.end();
        std::size_t count = 0;
        for (auto it = first; it != entries_.end() && it->first.first == sender; ++it, ++count) {
            if (oldest == entries_.end() || it->second.order < oldest->second.order) {
                oldest = it;
            }
        }
        if (count >= kMaxPerSender) {
            entries_.erase(oldest);
        }
    }
    entries_.insert_or_assign(key, Entry{info, nextOrder_++});
}

std::size_t PendingNotifications::dropSender(const std::string& sender) {
    std::lock_guard lock(mutex_);
    auto first = entries_.lower_bound({sender, std::string()});
    auto last = first;
    std::size_t count = 0;
    while (last != entries_.end() && last->first.first == sender) {
        ++last;
        ++count;
    }
    entries_.erase(first, last);
    return count;
}

std::optional<VLNotificationInfo> PendingNotifications::take(const std::string& sender,
                                                             const std::string& identifier) {
    std::lock_guard lock(mutex_);
    auto it = entries_.find({sender, identifier});
    if (it == entries_.end()) {
        return std::nullopt;
    }
    VLNotificationInfo info = std::move(it->second.info);
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
