#include "foundation/Bundle.h"

#include <filesystem>
#include <memory>

#include "foundation/Files.h"
#include "foundation/Log.h"
#include "foundation/Paths.h"
#include "foundation/Plist.h"

namespace {
std::unique_ptr<Bundle>& mainSlot() {
    static std::unique_ptr<Bundle> bundle;
    return bundle;
}

std::string bundlePathOfExecutable() {
    std::filesystem::path exe = Paths::executablePath();
    std::filesystem::path macos = exe.parent_path();
    std::filesystem::path contents = macos.parent_path();
    if (macos.filename() == "MacOS" && contents.filename() == "Contents") {
        return contents.parent_path().string();
    }
    // A program run outside a bundle (a test, a tool) is its own bundle folder.
    return macos.string();
}
}  // namespace

Bundle::Bundle(std::string bundlePath) : path_(std::move(bundlePath)) {
    while (path_.size() > 1 && path_.back() == '/') {
        path_.pop_back();
    }
}

Bundle& Bundle::main() {
    auto& slot = mainSlot();
    if (!slot) {
        slot = std::make_unique<Bundle>(bundlePathOfExecutable());
    }
    return *slot;
}

void Bundle::setMainBundlePath(const std::string& bundlePath) {
    mainSlot() = std::make_unique<Bundle>(bundlePath);
}

std::string Bundle::contentsPath() const {
    return path_ + "/Contents";
}

std::string Bundle::resourcePath() const {
    return contentsPath() + "/Resources";
}

std::string Bundle::executableFolder() const {
    return contentsPath() + "/MacOS";
}

const nlohmann::json& Bundle::infoDictionary() const {
    if (!info_) {
        std::string error;
        auto value = Plist::readFile(contentsPath() + "/Info.plist", &error);
        if (value && value->is_object()) {
            info_ = std::move(*value);
        } else {
            if (Files::exists(contentsPath() + "/Info.plist")) {
                Log::warning("cannot read Info.plist: ",
                             error.empty() ? "not a dictionary" : error);
            }
            info_ = nlohmann::json::object();
        }
    }
    return *info_;
}

std::optional<std::string> Bundle::infoString(const std::string& key) const {
    const auto& info = infoDictionary();
    auto it = info.find(key);
    if (it == info.end() || !it->is_string()) {
        return std::nullopt;
    }
    return it->get<std::string>();
}

std::string Bundle::bundleIdentifier() const {
    auto id = infoString("CFBundleIdentifier");
    return id && !id->empty() ? *id : "com.KVX.Sitebox";
}

std::string Bundle::shortVersion() const {
    return infoString("CFBundleShortVersionString").value_or("");
}

std::optional<std::string> Bundle::pathForResource(const std::string& name,
                                                   const std::string& type) const {
    std::string file = type.empty() ? name : name + "." + type;
    std::string path = resourcePath() + "/" + file;
    if (!Files::exists(path)) {
        return std::nullopt;
    }
    return path;
}
