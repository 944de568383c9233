#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

// An application bundle: Name.app/Contents/{Info.plist,MacOS,Resources}.
class Bundle {
  public:
    explicit Bundle(std::string bundlePath);

    // The bundle of the running executable: two folders above Contents/MacOS/<program>.
    static Bundle& main();
    // Points the main bundle elsewhere (tests; tools that act for another bundle).
    static void setMainBundlePath(const std::string& bundlePath);

    const std::string& bundlePath() const { return path_; }
    std::string contentsPath() const;
    std::string resourcePath() const;
    std::string executableFolder() const;

    // Contents/Info.plist, read once; an empty object when missing or unreadable.
    const nlohmann::json& infoDictionary() const;
    std::optional<std::string> infoString(const std::string& key) const;
    std::string bundleIdentifier() const;  // "com.KVX.Sitebox" when Info.plist names none
    std::string shortVersion() const;      // CFBundleShortVersionString, "" when absent

    // Resources/<name>.<type> when that file exists.
    std::optional<std::string> pathForResource(const std::string& name,
                                               const std::string& type) const;

  private:
    std::string path_;
    mutable std::optional<nlohmann::json> info_;
};
