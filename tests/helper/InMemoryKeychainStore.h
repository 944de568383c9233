#pragma once

#include <algorithm>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "helper/KeychainItemStore.h"

// A keychain in memory with the item model of the real one (queries match on the attributes
// they name). Thread-safe. A test can make every operation fail with a code (a locked or
// missing keyring), make only adding fail, and run code inside the existence search.
class InMemoryKeychainStore : public KeychainItemStore {
  public:
    OSStatus add(const KeychainItem& item) override {
        return run([&] {
            if (!failAdd_) {
                items_.push_back(item);
            }
            return failAdd_.value_or(errSecSuccess);
        });
    }
    OSStatus update(const KeychainAttributes& query, const std::string& data) override {
        return run([&] {
            std::vector<KeychainItem*> found = matching(query);
            for (KeychainItem* item : found) {
                item->data = data;
            }
            return found.empty() ? errSecItemNotFound : errSecSuccess;
        });
    }
    OSStatus remove(const KeychainAttributes& query) override {
        return run([&] {
            return std::erase_if(items_, [&](const KeychainItem& i) { return matches(i, query); })
                       ? errSecSuccess
                       : errSecItemNotFound;
        });
    }
    OSStatus searchOne(const KeychainAttributes& query, KeychainItem* match) override {
        if (std::function<void()> hook = match ? nullptr : locked([&] { return existenceHook_; })) {
            hook();  // outside the lock, so it may start another operation
        }
        return run([&] {
            std::vector<KeychainItem*> found = matching(query);
            if (match && !found.empty()) {
                *match = *found.front();
            }
            return found.empty() ? errSecItemNotFound : errSecSuccess;
        });
    }
    OSStatus searchAll(const KeychainAttributes& query, std::vector<KeychainItem>* all) override {
        return run([&] {
            std::vector<KeychainItem*> found = matching(query);
            if (all && !found.empty()) {
                all->clear();
                for (KeychainItem* item : found) {
                    all->push_back(*item);
                }
            }
            return found.empty() ? errSecItemNotFound : errSecSuccess;
        });
    }

    std::vector<KeychainItem> items() const {
        return locked([&] { return items_; });
    }
    void insert(KeychainItem item) {
        locked([&] { items_.push_back(std::move(item)); });
    }
    int operationCount() const {
        return locked([&] { return operations_; });
    }
    void failEveryOperationWith(std::optional<OSStatus> status) {
        locked([&] { failAll_ = status; });
    }
    void failAddWith(std::optional<OSStatus> status) {
        locked([&] { failAdd_ = status; });
    }
    // Runs when searchOne is asked for existence only.
    void onExistenceSearch(std::function<void()> hook) {
        locked([&] { existenceHook_ = std::move(hook); });
    }

  private:
    static bool matches(const KeychainItem& item, const KeychainAttributes& query) {
        return std::ranges::all_of(query, [&](const auto& entry) {
            auto it = item.attributes.find(entry.first);
            return it != item.attributes.end() && it->second == entry.second;
        });
    }
    std::vector<KeychainItem*> matching(const KeychainAttributes& query) {
        std::vector<KeychainItem*> found;
        for (KeychainItem& item : items_) {
            if (matches(item, query)) {
                found.push_back(&item);
            }
        }
        return found;
    }
    template <class F>
    auto locked(F f) const -> decltype(f()) {
        std::lock_guard lock(mutex_);
        return f();
    }
    // Counts the operation and fails it when every operation is to fail.
    template <class F>
    OSStatus run(F operation) {
        std::lock_guard lock(mutex_);
        ++operations_;
        return failAll_ ? *failAll_ : operation();
    }

    mutable std::mutex mutex_;
    std::vector<KeychainItem> items_;
    int operations_ = 0;
    std::optional<OSStatus> failAll_, failAdd_;
    std::function<void()> existenceHook_;
};
