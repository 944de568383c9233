#include "app/AppCreator.h"

#include <glib.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "app/ApplicationId.h"
#include "app/DesktopEntry.h"
#include "app/SiteProbe.h"
#include "app/VLCorvaManager.h"
#include "app/WebApp.h"
#include "foundation/Bundle.h"
#include "foundation/FileTree.h"
#include "foundation/Files.h"
#include "foundation/GObjectPtr.h"
#include "foundation/JsonFile.h"
#include "foundation/Plist.h"
#include "foundation/TypedAddress.h"
#include "maintenance/IcnsWriter.h"
#include "maintenance/Image.h"
#include "maintenance_update/VLUpdateManager.h"
#include "rules/SiteWhitelist.h"
#include "rules/VLWhiteListManager.h"
#include "stores/VLFileManager.h"

namespace fs = std::filesystem;

namespace {
// Removes what a failed run made.
class Undo {
  public:
    ~Undo() {
        if (!done_) {
            for (auto it = paths_.rbegin(); it != paths_.rend(); ++it) {
                FileTree::remove(*it);
            }
        }
    }
    void add(const std::string& path) { paths_.push_back(path); }
    void replace(const std::string& from, const std::string& to) {
        for (std::string& path : paths_) {
            if (path == from) {
                path = to;
            }
        }
    }
    void done() { done_ = true; }

  private:
    std::vector<std::string> paths_;
    bool done_ = false;
};

struct UriDeleter {
    void operator()(GUri* uri) const { g_uri_unref(uri); }
};

std::string hostOf(const std::string& url) {
    std::unique_ptr<GUri, UriDeleter> uri(g_uri_parse(url.c_str(), G_URI_FLAGS_NONE, nullptr));
    return uri && g_uri_get_host(uri.get()) ? g_uri_get_host(uri.get()) : "";
}

std::string writeFile(const std::string& path, const std::string& bytes) {
    if (std::string error = Files::createDirectories(fs::path(path).parent_path().string());
        !error.empty()) {
        return error;
    }
    return Files::writeAtomically(path, bytes, Files::kSharedFile);
}

std::string randomSuffix() {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", g_random_int());
    return hex;
}
}  // namespace

std::optional<std::string> AppCreator::webAddress(const std::string& text) {
    const std::string address = TypedAddress::withScheme(TypedAddress::trimmed(text));
    // The parser lets blanks and control characters through; no address holds them.
    for (unsigned char c : address) {
        if (c <= 0x20 || c == 0x7f) {
            return std::nullopt;
        }
    }
    std::unique_ptr<GUri, UriDeleter> uri(g_uri_parse(address.c_str(), G_URI_FLAGS_NONE, nullptr));
    if (!uri || !g_uri_get_host(uri.get()) || !*g_uri_get_host(uri.get())) {
        return std::nullopt;
    }
    const std::string scheme = g_uri_get_scheme(uri.get());
    if (scheme != "http" && scheme != "https") {
        return std::nullopt;
    }
    return address;
}

std::string AppCreator::folderName(const std::string& name) {
    GCharPtr valid(g_utf8_make_valid(name.c_str(), static_cast<gssize>(name.size())));
    std::string out;
    for (const char* p = valid.get(); *p; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c == 0x7f) {
            out += ' ';
        } else {
            out += c == '/' ? '-' : *p;
        }
    }
    // The app's name is its folder's name with every ".app" taken out.
    for (auto at = out.find(".app"); at != std::string::npos; at = out.find(".app")) {
        out.erase(at, 4);
    }
    const auto first = out.find_first_not_of(" .");
    out = first == std::string::npos ? std::string() : out.substr(first);
    if (out.size() > 100) {
        const char* end = g_utf8_find_prev_char(out.c_str(), out.c_str() + 101);
        out.resize(end ? static_cast<size_t>(end - out.c_str()) : 0);
    }
    while (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return out;
}

std::string AppCreator::identifierStem(const std::string& name) {
    std::string out;
    for (char c : name) {
        if (g_ascii_isalnum(c)) {
            out += c;
        } else if (!out.empty() && out.back() != '-') {
            out += '-';
        }
    }
    if (out.size() > 32) {
        out.resize(32);
    }
    while (!out.empty() && out.back() == '-') {
        out.pop_back();
    }
    return out.empty() ? "WebApp" : out;
}

AppCreator::Result AppCreator::create(const Request& request, const std::string& templatePath) {
    Result result;
    std::optional<std::string> address = webAddress(request.address);
    if (!address) {
        result.error = "not a web address: " + request.address;
        return result;
    }
    std::string size = kDefaultWindowSize;
    if (request.size) {
        std::optional<Size> parsed = VLCorvaManager::splitWindowSize(*request.size);
        if (!parsed) {
            result.error = "the window size wants WIDTHxHEIGHT, such as 1200x800";
            return result;
        }
        size = std::to_string(long(parsed->width)) + "x" + std::to_string(long(parsed->height));
    }
    std::optional<Image> icon;
    if (request.icon) {
        std::string error;
        icon = Image::fromFile(*request.icon, &error);
        if (!icon) {
            result.error = "cannot use " + *request.icon + " as the icon: " + error;
            return result;
        }
    }
    const Bundle shell(templatePath);
    const std::string executable = shell.infoString("CFBundleExecutable").value_or("Sitebox");
    if (!Files::exists(shell.executableFolder() + "/" + executable)) {
        result.error = "no template bundle at " + templatePath;
        return result;
    }

    const std::string host = hostOf(*address);
    SiteProbe::Site site = SiteProbe::probe(*address);
    if (!site.error.empty()) {
        result.warnings.push_back("cannot reach " + host + " (" + site.error +
                                  "); the app is made all the same");
    }
    result.name = folderName(request.name.value_or(site.title.value_or(host)));
    if (result.name.empty()) {
        if (request.name) {
            result.error = "the name \"" + *request.name + "\" cannot name an app";
            return result;
        }
        result.name = folderName(host);
    }
    std::error_code fsError;
    const std::string folder =
        fs::absolute(request.folder.value_or(WebApp::defaultFolder()), fsError)
            .lexically_normal()
            .string();
    if (std::string error = Files::createDirectories(folder); !error.empty()) {
        result.error = error;
        return result;
    }
    result.bundlePath = folder + "/" + result.name + ".app";
    if (fs::exists(fs::symlink_status(result.bundlePath, fsError))) {
        result.error = "there is already an app at " + result.bundlePath + "; choose another name";
        return result;
    }

    Undo undo;
    // Made beside its final place and renamed there last, so a half-made app is never found.
    const std::string partial =
        folder + "/." + result.name + ".app.partial-" + std::to_string(::getpid());
    undo.add(partial);
    if (std::string error = FileTree::copy(templatePath, partial); !error.empty()) {
        result.error = error;
        return result;
    }
    const Bundle app(partial);
    // A made app used as the template keeps its configuration and user scripts to itself.
    for (const char* own : {"/CorvaCreationToolSettings.plist", "/EnterpriseSettings.plist",
                            "/Scripts/userscripts.json"}) {
        FileTree::remove(app.resourcePath() + own);
    }
    const std::string identifier = identifierStem(result.name) + "-" + randomSuffix();
    const std::string bundleIdentifier = shell.bundleIdentifier() + "." + identifier;
    std::string error;
    std::optional<nlohmann::json> info =
        Plist::readFile(app.contentsPath() + "/Info.plist", &error);
    if (!info || !info->is_object()) {
        result.error = "cannot read the template's Info.plist: " + error;
        return result;
    }
    (*info)["CFBundleIdentifier"] = bundleIdentifier;
    (*info)["CFBundleName"] = result.name;
    error = Files::writeAtomically(app.contentsPath() + "/Info.plist", Plist::toXml(*info),
                                   Files::kSharedFile);
    if (error.empty()) {
        nlohmann::json creation = {{"isCreatedByCorvaCreationTool", true},
                                   {"defaultWindowSize", size}};
        error = Files::writeAtomically(app.resourcePath() + "/CorvaCreationToolSettings.plist",
                                       Plist::toXml(creation), Files::kSharedFile);
    }
    if (error.empty() && ::setxattr(partial.c_str(), "user.CorvaUniqueID", identifier.data(),
                                    identifier.size(), 0) != 0) {
        error = "cannot store the app identifier on " + partial + ": " + std::strerror(errno) +
                " (the file system needs extended attributes)";
    }
    std::optional<Image> chosen = icon ? icon : site.icon;
    if (error.empty() && chosen) {
        std::optional<Image> square = resizeImage(*chosen, Size{128, 128});
        error = square ? IcnsWriter::write(*square, app.resourcePath() + "/AppIcon.icns")
                       : "the icon has no picture";
    }
    if (!error.empty()) {
        result.error = error;
        return result;
    }

    result.settingsFolder = VLFileManager::getSettingsPathForSandbox(identifier);
    undo.add(result.settingsFolder);
    error = JsonFile::save(result.settingsFolder + "settings.json",
                           {{"main_url", *address}, {"enableJavaScript", true}});
    VLWhiteListManager whitelist(result.settingsFolder + "whitelist.json");
    SiteWhitelist::apply(whitelist, *address);
    if (!error.empty() || !whitelist.savePatterns()) {
        result.error = error.empty() ? "cannot write the app's whitelist" : error;
        return result;
    }

    if (::rename(partial.c_str(), result.bundlePath.c_str()) != 0) {
        result.error = "cannot put the app at " + result.bundlePath + ": " + std::strerror(errno);
        return result;
    }
    undo.replace(partial, result.bundlePath);

    const std::string applicationId = ApplicationId::of(bundleIdentifier, identifier);
    std::optional<Image> picture =
        chosen ? chosen
               : Image::fromFile(Bundle(result.bundlePath).resourcePath() + "/AppIcon.icns");
    for (int pixels : DesktopEntry::kIconSizes) {
        std::optional<Image> scaled =
            picture ? resizeImage(*picture, Size{double(pixels), double(pixels)}) : std::nullopt;
        const std::string png = scaled ? scaled->pngData() : std::string();
        if (png.empty()) {
            result.warnings.push_back("no icon for the desktop entry");
            break;
        }
        const std::string path = DesktopEntry::iconPath(applicationId, pixels);
        undo.add(path);
        if (std::string failed = writeFile(path, png); !failed.empty()) {
            result.error = failed;
            return result;
        }
    }
    result.desktopFile = DesktopEntry::path(applicationId);
    undo.add(result.desktopFile);
    const std::string entry =
        DesktopEntry::text({applicationId, result.name, "Web app of " + host,
                            result.bundlePath + "/Contents/MacOS/" + executable});
    if (std::string failed = writeFile(result.desktopFile, entry); !failed.empty()) {
        result.error = failed;
        return result;
    }
    VLUpdateManager::sharedManager().addUpdatePath(result.bundlePath, shell.shortVersion());
    undo.done();
    return result;
}
