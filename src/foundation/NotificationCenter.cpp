#include "foundation/NotificationCenter.h"

#include <algorithm>

NotificationCenter::Observer::Observer(NotificationCenter* center, std::shared_ptr<bool> alive)
    : center_(center), alive_(std::move(alive)) {}

NotificationCenter::Observer::Observer(Observer&& other) noexcept
    : center_(other.center_), alive_(std::move(other.alive_)) {
    other.center_ = nullptr;
}

NotificationCenter::Observer& NotificationCenter::Observer::operator=(Observer&& other) noexcept {
    if (this != &other) {
        reset();
        center_ = other.center_;
        alive_ = std::move(other.alive_);
        other.center_ = nullptr;
    }
    return *this;
}

void NotificationCenter::Observer::reset() {
    if (alive_) {
        *alive_ = false;
        alive_.reset();
    }
    center_ = nullptr;
}

bool NotificationCenter::Observer::active() const {
    return alive_ && *alive_;
}

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

NotificationCenter::Observer NotificationCenter::addObserver(const std::string& name,
                                                             Handler handler) {
    prune();
    auto alive = std::make_shared<bool>(true);
    entries_.push_back({name, std::make_shared<Handler>(std::move(handler)), alive});
    return Observer(this, alive);
}

void NotificationCenter::post(const std::string& name, std::any object,
                              std::map<std::string, std::any> userInfo) {
    post(Notification{name, std::move(object), std::move(userInfo)});
}

void NotificationCenter::post(const Notification& notification) {
    // Handlers may add or remove observers, or post again: deliver to a snapshot and skip
    // entries that were removed meanwhile.
    std::vector<Entry> snapshot;
    for (const Entry& entry : entries_) {
        if (*entry.alive && (entry.name.empty() || entry.name == notification.name)) {
            snapshot.push_back(entry);
        }
    }
    for (const Entry& entry : snapshot) {
        if (*entry.alive) {
            (*entry.handler)(notification);
        }
    }
    prune();
}

size_t NotificationCenter::observerCount() const {
    return static_cast<size_t>(
        std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) { return *e.alive; }));
}

void NotificationCenter::prune() {
    std::erase_if(entries_, [](const Entry& e) { return !*e.alive; });
}
