#include "app/SiteboxCommands.h"

#include <ostream>

#include "app/AppCreator.h"
#include "app/TemplateBundle.h"
#include "app/WebApp.h"
#include "browser/WindowRules.h"
#include "foundation/Bundle.h"
#include "maintenance_update/VLUpdateManager.h"

namespace {
int create(const CommandLine& line, std::ostream& out, std::ostream& err) {
    AppCreator::Result made = AppCreator::create(
        {line.url, line.name, line.icon, line.size, line.folder}, TemplateBundle::locate());
    for (const std::string& warning : made.warnings) {
        err << "warning: " << warning << "\n";
    }
    if (!made.ok()) {
        err << "error: " << made.error << "\n";
        return 1;
    }
    out << "Made \"" << made.name << "\": " << made.bundlePath << "\n"
        << "Desktop entry: " << made.desktopFile << "\n"
        << "Settings: " << made.settingsFolder << "\n";
    return 0;
}

int list(std::ostream& out) {
    std::vector<WebApp> apps = WebApp::all();
    if (apps.empty()) {
        out << "No web apps yet; make one with --create URL.\n";
    }
    for (const WebApp& app : apps) {
        out << app.name() << "\t" << app.version() << "\t" << app.homePage().value_or("-") << "\t"
            << app.bundlePath() << "\n";
    }
    return 0;
}

int remove(const CommandLine& line, std::ostream& out, std::ostream& err) {
    std::vector<WebApp> apps = WebApp::named(line.app);
    if (apps.empty()) {
        err << "error: no web app named \"" << line.app << "\" (see --list-apps)\n";
        return 1;
    }
    if (apps.size() > 1) {
        err << "error: several web apps are named \"" << line.app << "\"; give the path of one:\n";
        for (const WebApp& app : apps) {
            err << "  " << app.bundlePath() << "\n";
        }
        return 1;
    }
    const WebApp& app = apps.front();
    if (!WebApp::isMade(app.bundlePath())) {
        err << "error: " << app.bundlePath() << " was not made with --create; left alone\n";
        return 1;
    }
    if (std::string error = app.remove(line.purge); !error.empty()) {
        err << "error: " << error << "\n";
        return 1;
    }
    out << "Removed \"" << app.name() << "\".\n";
    std::vector<std::string> data = app.dataFolders();
    if (!line.purge && !data.empty()) {
        out << "Its settings and site data stay in " << data.front()
            << " (--purge removes them).\n";
    }
    return 0;
}

int update(std::ostream& out, std::ostream& err) {
    VLUpdateManager& manager = VLUpdateManager::sharedManager();
    manager.setTemplatePath(TemplateBundle::locate());
    const std::string version = manager.templateVersion();
    manager.checkForUpdate();
    manager.waitUntilAllOperationsAreFinished();
    int status = 0;
    size_t updated = 0;
    for (const VLUpdateManager::Outcome& outcome : manager.outcomes()) {
        const std::string name = WindowRules::appTargetName(outcome.bundlePath);
        switch (outcome.result) {
            case VLUpdateManager::Outcome::Result::Updated:
                ++updated;
                out << "Updated \"" << name << "\" to " << outcome.version << ": "
                    << outcome.bundlePath << "\n";
                break;
            case VLUpdateManager::Outcome::Result::Dropped:
                out << "Forgot " << outcome.bundlePath << ": it is no longer there\n";
                break;
            case VLUpdateManager::Outcome::Result::Failed:
                err << "error: could not update " << outcome.bundlePath << "\n";
                status = 1;
                break;
        }
    }
    if (updated == 0 && status == 0) {
        out << "Every web app is up to date (" << version << ").\n";
    }
    return status;
}
}  // namespace

int SiteboxCommands::run(const CommandLine& line, const std::string& program, std::ostream& out,
                         std::ostream& err) {
    if (!line.error.empty()) {
        err << program << ": " << line.error << "\n" << CommandLine::usage(program);
        return 2;
    }
    switch (line.command) {
        case CommandLine::Command::Help:
            out << CommandLine::usage(program);
            return 0;
        case CommandLine::Command::Version:
            out << "Sitebox " << Bundle::main().shortVersion() << "\n";
            return 0;
        case CommandLine::Command::Create:
            return create(line, out, err);
        case CommandLine::Command::ListApps:
            return list(out);
        case CommandLine::Command::RemoveApp:
            return remove(line, out, err);
        case CommandLine::Command::UpdateApps:
            return update(out, err);
        case CommandLine::Command::None:
            break;
    }
    return 2;
}
