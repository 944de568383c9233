#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "FileGuards.h"
#include "TestHome.h"
#include "stores/VLFileManager.h"

// The settings folder the stores use in a test (no identifier: the shared "(null)" folder unless
// the test sets one).
inline std::string settingsFile(const std::string& name) {
    return VLFileManager::getSettingsPath() + name;
}

// Writes a store file before the store is created.
inline void givenFile(const std::string& name, const std::string& bytes) {
    writeFileBytes(settingsFile(name), bytes);
}

inline nlohmann::json fileJson(const std::string& name) {
    return nlohmann::json::parse(readFileBytes(settingsFile(name)));
}

// A store created and loaded the way sharedManager does it, but owned by the test.
template <class Store>
struct Fresh {
    Store store;
    Fresh() { store.init(); }
    Store* operator->() { return &store; }
};
