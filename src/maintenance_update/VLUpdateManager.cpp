#include "maintenance_update/VLUpdateManager.h"

#include <filesystem>

#include "foundation/Bundle.h"
#include "foundation/FileTree.h"
#include "foundation/Files.h"
#include "foundation/Log.h"
#include "foundation/Paths.h"
#include "foundation/Plist.h"
#include "maintenance/ShellParts.h"
#include "maintenance/VersionOrder.h"

namespace fs = std::filesystem;

namespace {
// A plain file name: an executable name from a plist must not reach outside MacOS/.
bool isPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

std::string canonical(const std::string& path) {
    std::error_code error;
    fs::path resolved = fs::weakly_canonical(path, error);
    return error ? path : resolved.string();
}

class UpdateOperation : public Operation {
  public:
    UpdateOperation(VLUpdateManager& manager, std::string path, std::string version,
                    bool onlyWhenDifferent)
        : manager_(manager),
          path_(std::move(path)),
          version_(std::move(version)),
          onlyWhenDifferent_(onlyWhenDifferent) {}

    void main() override {
        if (onlyWhenDifferent_ && Files::exists(path_) && !differs()) {
            return;
        }
        manager_.update(path_, version_);
    }

  private:
    bool differs() const {
        const auto executable = Bundle(path_).infoString("CFBundleExecutable");
        for (const ShellParts::Part& part :
             ShellParts::of(manager_.templatePath(), path_, executable.value_or("Sitebox"))) {
            if (!FileTree::sameContent(part.from, part.to)) {
                return true;
            }
        }
        return false;
    }

    VLUpdateManager& manager_;
    std::string path_;
    std::string version_;
    bool onlyWhenDifferent_;
};
}  // namespace

VLUpdateManager& VLUpdateManager::sharedManager() {
    return sharedStore<VLUpdateManager>();
}

VLUpdateManager::VLUpdateManager() : templatePath_(Bundle::main().bundlePath()) {}

VLUpdateManager::~VLUpdateManager() {
    queue_.waitUntilAllOperationsAreFinished();
}

std::string VLUpdateManager::getPath() {
    if (!path_) {
        const std::string folder = Paths::home() + "/.KVX";
        if (std::string error = Files::createDirectories(folder); !error.empty()) {
            Log::warning("error:", error);
        }
        path_ = folder + "/.update";
    }
    return *path_;
}

void VLUpdateManager::setTemplatePath(const std::string& bundlePath) {
    std::lock_guard guard(listLock_);
    templatePath_ = bundlePath;
}

std::string VLUpdateManager::templatePath() const {
    std::lock_guard guard(listLock_);
    return templatePath_;
}

std::string VLUpdateManager::templateVersion() const {
    return Bundle(templatePath()).shortVersion();
}

bool VLUpdateManager::isMadeApp(const std::string& bundlePath) {
    auto file = Bundle(bundlePath).pathForResource("CorvaCreationToolSettings", "plist");
    std::optional<nlohmann::json> values = file ? Plist::readFile(*file) : std::nullopt;
    if (!values || !values->is_object()) {
        return false;
    }
    auto flag = values->find("isCreatedByCorvaCreationTool");
    return flag != values->end() && flag->is_boolean() && flag->get<bool>();
}

std::optional<std::string> VLUpdateManager::versionText(const nlohmann::json& value) {
    if (value.is_string()) {
        return value.get<std::string>();
    }
    if (value.is_number()) {
        return value.dump();
    }
    return std::nullopt;
}

template <class Change>
void VLUpdateManager::commit(Change change) {
    std::lock_guard guard(listLock_);
    loadJson();
    change(json_);
    save();
}

void VLUpdateManager::addUpdatePath(const std::string& bundlePath) {
    addUpdatePath(bundlePath, Bundle::main().shortVersion());
}

void VLUpdateManager::addUpdatePath(const std::string& bundlePath, const std::string& version) {
    {
        std::lock_guard guard(listLock_);
        if (json_.contains(bundlePath)) {
            return;
        }
    }
    commit([&](nlohmann::json& list) {
        if (!list.contains(bundlePath)) {
            list[bundlePath] = version;
        }
    });
}

void VLUpdateManager::removeUpdatePath(const std::string& bundlePath) {
    commit([&](nlohmann::json& list) { list.erase(bundlePath); });
}

std::map<std::string, std::string> VLUpdateManager::entries() const {
    std::lock_guard guard(listLock_);
    std::map<std::string, std::string> out;
    for (const auto& [path, value] : json_.items()) {
        if (auto text = versionText(value)) {
            out[path] = *text;
        }
    }
    return out;
}

bool VLUpdateManager::isTemplate(const std::string& bundlePath) const {
    return canonical(bundlePath) == canonical(templatePath());
}

void VLUpdateManager::checkForUpdate() {
    const std::string version = templateVersion();
    if (version.empty()) {
        Log::warning("no update: the template ", templatePath(), " names no version");
        return;
    }
    nlohmann::json list;
    {
        std::lock_guard guard(listLock_);
        list = json_;
    }
    for (const auto& [path, value] : list.items()) {
        std::optional<std::string> text = versionText(value);
        if (!text) {
            Log::warning(getPath(), ": the version of ", path, " is not text; skipped");
            continue;
        }
        const int order = VersionOrder::compare(*text, version);
        if (order > 0 || isTemplate(path) || (Files::exists(path) && !isMadeApp(path))) {
            continue;
        }
        queue_.addOperation(std::make_shared<UpdateOperation>(*this, path, version, order == 0));
    }
}

void VLUpdateManager::record(const std::string& bundlePath, const std::string& version,
                             Outcome::Result result) {
    std::lock_guard guard(listLock_);
    outcomes_.push_back({bundlePath, version, result});
}

std::vector<VLUpdateManager::Outcome> VLUpdateManager::outcomes() const {
    std::lock_guard guard(listLock_);
    return outcomes_;
}

bool VLUpdateManager::update(const std::string& bundlePath, const std::string& version) {
    if (!Files::exists(bundlePath)) {
        Log::warning("no longer there, dropped from the update list: ", bundlePath);
        commit([&](nlohmann::json& list) { list.erase(bundlePath); });
        record(bundlePath, version, Outcome::Result::Dropped);
        return false;
    }
    const Bundle shell(templatePath());
    const Bundle app(bundlePath);
    const std::string plistPath = app.contentsPath() + "/Info.plist";
    std::string error;
    std::optional<nlohmann::json> info = Plist::readFile(plistPath, &error);
    if (!info || !info->is_object()) {
        Log::warning("Cannot update plist: ", plistPath, ": ",
                     error.empty() ? "not a dictionary" : error);
        record(bundlePath, version, Outcome::Result::Failed);
        return false;
    }
    (*info)["CFBundleShortVersionString"] = version;
    // The build number goes with the shell it names.
    if (auto build = shell.infoString("CFBundleVersion")) {
        (*info)["CFBundleVersion"] = *build;
    }
    nlohmann::json security = nlohmann::json::object();
    if (auto it = info->find("NSAppTransportSecurity"); it != info->end() && it->is_object()) {
        security = *it;
    }
    security.erase("NSAllowsArbitraryLoadsInWebContent");
    (*info)["NSAppTransportSecurity"] = security;
    const nlohmann::json::const_iterator executable = info->find("CFBundleExecutable");
    if (executable == info->end() || !executable->is_string() ||
        !isPlainName(executable->get<std::string>())) {
        Log::warning("Cannot update plist: ", plistPath, ": no usable CFBundleExecutable");
        record(bundlePath, version, Outcome::Result::Failed);
        return false;
    }
    if (std::string written =
            Files::writeAtomically(plistPath, Plist::toXml(*info), Files::kSharedFile);
        !written.empty()) {
        Log::warning("Cannot update plist: ", written);
        record(bundlePath, version, Outcome::Result::Failed);
        return false;
    }
    for (const ShellParts::Part& part :
         ShellParts::of(shell.bundlePath(), bundlePath, executable->get<std::string>())) {
        std::string failed = part.folder ? FileTree::replaceFolder(part.from, part.to)
                                         : FileTree::replaceFile(part.from, part.to);
        if (!failed.empty()) {
            Log::warning("error = ", failed);
            record(bundlePath, version, Outcome::Result::Failed);
            return false;
        }
    }
    // No code-signing step: nothing on Linux checks a bundle's signature.
    commit([&](nlohmann::json& list) { list[bundlePath] = version; });
    record(bundlePath, version, Outcome::Result::Updated);
    return true;
}
