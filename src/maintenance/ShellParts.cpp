#include "maintenance/ShellParts.h"

#include <algorithm>
#include <filesystem>

#include "foundation/Bundle.h"

namespace fs = std::filesystem;

bool ShellParts::isShellResource(const std::string& fileName) {
    auto endsWith = [&](const std::string& end) {
        return fileName.size() >= end.size() &&
               fileName.compare(fileName.size() - end.size(), end.size(), end) == 0;
    };
    // Page scripts, the welcome page, and the content-blocker lists with their version file.
    return endsWith(".js") || endsWith(".html") ||
           (fileName.rfind("rules", 0) == 0 && endsWith(".json"));
}

std::vector<ShellParts::Part> ShellParts::of(const std::string& templatePath,
                                             const std::string& bundlePath,
                                             const std::string& bundleExecutable) {
    const Bundle shell(templatePath);
    const Bundle app(bundlePath);
    const std::string executable = shell.infoString("CFBundleExecutable").value_or("Sitebox");
    std::vector<Part> parts = {{shell.executableFolder() + "/" + executable,
                                app.executableFolder() + "/" + bundleExecutable, false}};
    std::error_code error;
    auto add = [&](const std::string& from, const std::string& to, bool folder) {
        if (fs::exists(from, error)) {
            parts.push_back({from, to, folder});
        }
    };
    add(shell.executableFolder() + "/CorvaHelper", app.executableFolder() + "/CorvaHelper", false);
    add(shell.contentsPath() + "/Frameworks", app.contentsPath() + "/Frameworks", true);
    add(shell.resourcePath() + "/Base.lproj", app.resourcePath() + "/Base.lproj", true);
    std::vector<std::string> resources;
    for (fs::directory_iterator it(shell.resourcePath(), error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (it->is_regular_file(error) && isShellResource(name)) {
            resources.push_back(name);
        }
    }
    std::sort(resources.begin(), resources.end());
    for (const std::string& name : resources) {
        parts.push_back(
            {shell.resourcePath() + "/" + name, app.resourcePath() + "/" + name, false});
    }
    return parts;
}
