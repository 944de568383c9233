#include "InMemoryKeychainStore.h"

bool InMemoryKeychainStore::matches(const KeychainItem& item, const KeychainAttributes& query) {
    for (const auto& [name, value] : query) {
        auto it = item.attributes.find(name);
        if (it == item.attributes.end() || it->second != value) {
            return false;
        }
    }
    return true;
}

OSStatus InMemoryKeychainStore::add(const KeychainItem& item) {
    std::lock_guard lock(mutex_);
    ++operations_;
    if (failAll_) {
        return *failAll_;
    }
    if (failAdd_) {
        return *failAdd_;
    }
    items_.push_back(item);
    return errSecSuccess;
}

OSStatus InMemoryKeychainStore::update(const KeychainAttributes& query, const std::string& data) {
    std::lock_guard lock(mutex_);
    ++operations_;
    if (failAll_) {
        return *failAll_;
    }
    OSStatus status = errSecItemNotFound;
    for (KeychainItem& item : items_) {
        if (matches(item, query)) {
            item.data = data;
            status = errSecSuccess;
        }
    }
    return status;
}

OSStatus InMemoryKeychainStore::remove(const KeychainAttributes& query) {
    std::lock_guard lock(mutex_);
    ++operations_;
    if (failAll_) {
        return *failAll_;
    }
    auto removed =
        std::erase_if(items_, [&](const KeychainItem& item) { return matches(item, query); });
    return removed ? errSecSuccess : errSecItemNotFound;
}

OSStatus InMemoryKeychainStore::searchOne(const KeychainAttributes& query, KeychainItem* match) {
    std::function<void()> hook;
    {
        std::lock_guard lock(mutex_);
        hook = match ? nullptr : existenceHook_;
    }
    if (hook) {
        hook();
    }
    std::lock_guard lock(mutex_);
    ++operations_;
    if (failAll_) {
        return *failAll_;
    }
    for (const KeychainItem& item : items_) {
        if (matches(item, query)) {
            if (match) {
                *match = item;
            }
            return errSecSuccess;
        }
    }
    return errSecItemNotFound;
}

OSStatus InMemoryKeychainStore::searchAll(const KeychainAttributes& query,
                                          std::vector<KeychainItem>* matchesOut) {
    std::lock_guard lock(mutex_);
    ++operations_;
    if (failAll_) {
        return *failAll_;
    }
    std::vector<KeychainItem> found;
    for (const KeychainItem& item : items_) {
        if (matches(item, query)) {
            found.push_back(item);
        }
    }
    if (found.empty()) {
        return errSecItemNotFound;
    }
    if (matchesOut) {
        *matchesOut = std::move(found);
    }
    return errSecSuccess;
}

std::vector<KeychainItem> InMemoryKeychainStore::items() const {
    std::lock_guard lock(mutex_);
    return items_;
}

void InMemoryKeychainStore::insert(KeychainItem item) {
    std::lock_guard lock(mutex_);
    items_.push_back(std::move(item));
}

int InMemoryKeychainStore::operationCount() const {
    std::lock_guard lock(mutex_);
    return operations_;
}

void InMemoryKeychainStore::failEveryOperationWith(std::optional<OSStatus> status) {
    std::lock_guard lock(mutex_);
    failAll_ = status;
}

void InMemoryKeychainStore::failAddWith(std::optional<OSStatus> status) {
    std::lock_guard lock(mutex_);
    failAdd_ = status;
}

void InMemoryKeychainStore::onExistenceSearch(std::function<void()> hook) {
    std::lock_guard lock(mutex_);
    existenceHook_ = std::move(hook);
}
