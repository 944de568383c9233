#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "foundation/NoDestructor.h"

// Base of the JSON-file stores: one dictionary, the whole file, read once at creation.
// Setters change memory only and callers save, unless a store says otherwise.
class VLManager {
  public:
    VLManager() = default;
    virtual ~VLManager() = default;
    VLManager(const VLManager&) = delete;
    VLManager& operator=(const VLManager&) = delete;

    // loadJson, loadValues, updateToNewFormat, in that order.
    void init();

    // Missing or empty file: empty dictionary, silently. Unparseable or not an object: the error
    // is logged and the dictionary is empty.
    virtual void loadJson();
    // Compact JSON, written atomically. False (with a log line) when the file could not be
    // written; the previous file is then left as it was.
    virtual bool save();
    // The file's full path; empty for the base.
    virtual std::string getPath() { return {}; }
    virtual void loadValues() {}
    virtual void updateToNewFormat() {}

    nlohmann::json& json() { return json_; }
    const nlohmann::json& json() const { return json_; }
    void setJson(nlohmann::json value);

    // The version mark of stores whose layout changed.
    static constexpr double kCurrentVersion = 1.1;
    bool hasCurrentVersion() const;

  protected:
    // For the saves a store makes by itself while loading (defaults, new layout): a file that
    // exists but could not be used is left as it is for the user to recover.
    void saveLoaded();

    // Forms "<settings folder>/<file>" on first use and keeps it.
    const std::string& pathInSettingsFolder(const char* fileName);

    nlohmann::json json_ = nlohmann::json::object();

  private:
    std::optional<std::string> path_;
    bool unusableFile_ = false;
};

// The process-wide instance of a store, created and loaded on first use (main thread).
template <class Store>
Store& sharedStore() {
    static Store& instance = []() -> Store& {
        static NoDestructor<Store> store;
        store->init();
        return *store;
    }();
    return instance;
}
