#pragma once

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
    OSStatus add(const KeychainItem& item) override;
    OSStatus update(const KeychainAttributes& query, const std::string& data) override;
    OSStatus remove(const KeychainAttributes& query) override;
    OSStatus searchOne(const KeychainAttributes& query, KeychainItem* match) override;
    OSStatus searchAll(const KeychainAttributes& query,
                       std::vector<KeychainItem>* matches) override;

    std::vector<KeychainItem> items() const;
    void insert(KeychainItem item);
    int operationCount() const;

    void failEveryOperationWith(std::optional<OSStatus> status);
    void failAddWith(std::optional<OSStatus> status);
    // Runs (outside the store's lock) when searchOne is asked for existence only.
    void onExistenceSearch(std::function<void()> hook);

  private:
    static bool matches(const KeychainItem& item, const KeychainAttributes& query);

    mutable std::mutex mutex_;
    std::vector<KeychainItem> items_;
    int operations_ = 0;
    std::optional<OSStatus> failAll_;
    std::optional<OSStatus> failAdd_;
    std::function<void()> existenceHook_;
};
