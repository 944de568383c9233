#include "app/WebApp.h"

#include <algorithm>
#include <filesystem>

#include "app/ApplicationId.h"
#include "app/DesktopEntry.h"
#include "browser/WindowRules.h"
#include "foundation/Bundle.h"
#include "foundation/FileTree.h"
#include "foundation/Files.h"
#include "foundation/JsonFile.h"
#include "foundation/Paths.h"
#include "foundation/Plist.h"
#include "maintenance_update/VLUpdateManager.h"

namespace fs = std::filesystem;

namespace {
std::string canonical(const std::string& path) {
    std::error_code error;
    fs::path resolved = fs::weakly_canonical(path, error);
    return error ? path : resolved.string();
}
}  // namespace

std::string WebApp::defaultFolder() {
    return Paths::dataHome() + "/sitebox/apps";
}

bool WebApp::isMade(const std::string& bundlePath) {
    return VLUpdateManager::isMadeApp(bundlePath);
}

std::optional<WebApp> WebApp::at(const std::string& bundlePath) {
    if (!Files::exists(bundlePath + "/Contents/Info.plist")) {
        return std::nullopt;
    }
    WebApp app;
    app.bundlePath_ = canonical(bundlePath);
    app.bundleIdentifier_ = Bundle(app.bundlePath_).bundleIdentifier();
    app.appIdentifier_ = Files::extendedAttribute(app.bundlePath_, "user.CorvaUniqueID");
    return app;
}

std::vector<WebApp> WebApp::all() {
    std::vector<std::string> paths;
    for (const auto& [path, version] : VLUpdateManager::sharedManager().entries()) {
        paths.push_back(path);
    }
    std::error_code error;
    for (fs::directory_iterator it(defaultFolder(), error), end; !error && it != end;
         it.increment(error)) {
        if (it->path().extension() == ".app") {
            paths.push_back(it->path().string());
        }
    }
    std::vector<WebApp> apps;
    for (const std::string& path : paths) {
        std::optional<WebApp> app = at(path);
        const bool seen = app && std::any_of(apps.begin(), apps.end(), [&](const WebApp& other) {
                              return other.bundlePath_ == app->bundlePath_;
                          });
        if (app && !seen && isMade(app->bundlePath_)) {
            apps.push_back(std::move(*app));
        }
    }
    std::sort(apps.begin(), apps.end(), [](const WebApp& a, const WebApp& b) {
        return a.name() == b.name() ? a.bundlePath_ < b.bundlePath_ : a.name() < b.name();
    });
    return apps;
}

std::vector<WebApp> WebApp::named(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        std::optional<WebApp> app = at(name);
        return app ? std::vector<WebApp>{*app} : std::vector<WebApp>{};
    }
    std::vector<WebApp> found;
    for (WebApp& app : all()) {
        if (app.name() == name) {
            found.push_back(std::move(app));
        }
    }
    return found;
}

std::string WebApp::name() const {
    return WindowRules::appTargetName(bundlePath_);
}

std::string WebApp::version() const {
    return Bundle(bundlePath_).shortVersion();
}

std::string WebApp::applicationId() const {
    return ApplicationId::of(bundleIdentifier_, appIdentifier_);
}

std::optional<std::string> WebApp::homePage() const {
    if (!appIdentifier_) {
        return std::nullopt;
    }
    const std::string file = Paths::dataHome() + "/Corva/" + *appIdentifier_ + "/settings.json";
    std::optional<nlohmann::json> settings = JsonFile::loadDocument(file, JsonFile::Kind::Object);
    if (!settings || !settings->contains("main_url") || !(*settings)["main_url"].is_string()) {
        return std::nullopt;
    }
    return (*settings)["main_url"].get<std::string>();
}

std::string WebApp::desktopFile() const {
    return DesktopEntry::path(applicationId());
}

std::vector<std::string> WebApp::iconFiles() const {
    std::vector<std::string> files;
    for (int size : DesktopEntry::kIconSizes) {
        files.push_back(DesktopEntry::iconPath(applicationId(), size));
    }
    return files;
}

std::vector<std::string> WebApp::dataFolders() const {
    // Without an identifier of its own the app shares its folders with other bundles.
    if (!appIdentifier_ || appIdentifier_->empty() || *appIdentifier_ == "." ||
        *appIdentifier_ == ".." || appIdentifier_->find('/') != std::string::npos) {
        return {};
    }
    std::vector<std::string> folders = {Paths::dataHome() + "/Corva/" + *appIdentifier_};
    // Caches and preferences go by the bundle identifier, which a made app forms from its
    // app identifier: any other is not surely its alone.
    const std::string suffix = "." + *appIdentifier_;
    if (bundleIdentifier_.size() > suffix.size() &&
        bundleIdentifier_.compare(bundleIdentifier_.size() - suffix.size(), suffix.size(),
                                  suffix) == 0) {
        folders.push_back(Paths::cacheHome() + "/" + bundleIdentifier_);
        folders.push_back(Paths::configHome() + "/" + bundleIdentifier_);
    }
    return folders;
}

std::string WebApp::remove(bool purge) const {
    std::vector<std::string> items = {desktopFile()};
    for (const std::string& icon : iconFiles()) {
        items.push_back(icon);
    }
    if (purge) {
        for (const std::string& folder : dataFolders()) {
            items.push_back(folder);
        }
    }
    // The bundle last: until then the app can still be found and removed again.
    items.push_back(bundlePath_);
    for (const std::string& item : items) {
        if (std::string error = FileTree::remove(item); !error.empty()) {
            return error;
        }
    }
    for (const auto& [path, version] : VLUpdateManager::sharedManager().entries()) {
        if (canonical(path) == bundlePath_) {
            VLUpdateManager::sharedManager().removeUpdatePath(path);
        }
    }
    return {};
}
