#pragma once

#include <optional>
#include <string>
#include <vector>

// A web app made from the template: its bundle and the files it has outside it (desktop entry,
// icons, settings folder, caches, small preferences).
class WebApp {
  public:
    // The bundle at `bundlePath`, when it is one.
    static std::optional<WebApp> at(const std::string& bundlePath);
    // The made apps of the update list and of the default apps folder, by name.
    static std::vector<WebApp> all();
    // Those named `name` (the bundle's name without ".app"), or the bundle at that path.
    static std::vector<WebApp> named(const std::string& name);
    // "<data home>/sitebox/apps", where made apps go unless told otherwise.
    static std::string defaultFolder();
    // Whether a bundle was made by the creation tool (its CorvaCreationToolSettings says so).
    static bool isMade(const std::string& bundlePath);

    const std::string& bundlePath() const { return bundlePath_; }
    std::string name() const;
    std::string version() const;
    std::string bundleIdentifier() const { return bundleIdentifier_; }
    const std::optional<std::string>& appIdentifier() const { return appIdentifier_; }
    std::string applicationId() const;
    std::optional<std::string> homePage() const;

    std::string desktopFile() const;
    std::vector<std::string> iconFiles() const;
    // Settings folder, engine cache and small preferences: the app's data.
    std::vector<std::string> dataFolders() const;

    // Removes the bundle, its desktop entry and icons and its update-list entry, and with
    // `purge` its data too. Returns an empty string on success, otherwise the error.
    std::string remove(bool purge) const;

  private:
    std::string bundlePath_;
    std::string bundleIdentifier_;
    std::optional<std::string> appIdentifier_;
};
