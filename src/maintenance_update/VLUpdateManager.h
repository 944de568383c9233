#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "foundation/OperationQueue.h"
#include "stores/VLManager.h"

// The list of generated apps shared by all of them (~/.KVX/.update: bundle path -> the shell
// version it carries) and the update run that brings outdated apps up to the template's shell.
// The list is reached one operation at a time under its lock; every change to it is saved at
// once, re-reading the file first so that entries other processes wrote meanwhile stay.
class VLUpdateManager : public VLManager {
  public:
    static VLUpdateManager& sharedManager();
    // The template is the running bundle until told otherwise.
    VLUpdateManager();
    // Waits for the updates still running.
    ~VLUpdateManager() override;

    // "<home>/.KVX/.update"; the folder is created. Formed once.
    std::string getPath() override;

    // The bundle whose shell the update run copies, and its version.
    void setTemplatePath(const std::string& bundlePath);
    std::string templatePath() const;
    std::string templateVersion() const;

    // Registers a bundle with the running bundle's version (or the one given); an entry already
    // there is left as it is.
    void addUpdatePath(const std::string& bundlePath);
    void addUpdatePath(const std::string& bundlePath, const std::string& version);
    void removeUpdatePath(const std::string& bundlePath);
    // Bundle path -> version text (a number read as its decimal text; other values left out).
    std::map<std::string, std::string> entries() const;

    // Schedules an update of every registered app older than the template, and of those of the
    // same version whose shell differs from the template's (a rebuild). Registered bundles that
    // were not made from a template (other builds, installed templates) are left alone.
    void checkForUpdate();
    // Replaces one bundle's shell parts with the template's and stamps its Info.plist with
    // `version`; false (with a log line) when it was not updated.
    bool update(const std::string& bundlePath, const std::string& version);
    void waitUntilAllOperationsAreFinished() { queue_.waitUntilAllOperationsAreFinished(); }

    // What the runs so far have done.
    struct Outcome {
        enum class Result { Updated, Failed, Dropped };
        std::string bundlePath;
        std::string version;
        Result result;
    };
    std::vector<Outcome> outcomes() const;

    // Whether a bundle was made by the creation tool (its CorvaCreationToolSettings says so).
    static bool isMadeApp(const std::string& bundlePath);
    // A list entry's value as version text; absent for values that are neither.
    static std::optional<std::string> versionText(const nlohmann::json& value);

  private:
    // Re-reads the list, applies `change` and saves, under the list's lock.
    template <class Change>
    void commit(Change change);
    void record(const std::string& bundlePath, const std::string& version, Outcome::Result result);
    bool isTemplate(const std::string& bundlePath) const;

    mutable std::mutex listLock_;
    std::optional<std::string> path_;
    std::string templatePath_;
    std::vector<Outcome> outcomes_;
    OperationQueue queue_;
};
