#include <gdk/gdk.h>

#include <filesystem>
#include <iostream>

#include "app/AppDelegate.h"
#include "app/ApplicationId.h"
#include "app/CommandLine.h"
#include "app/SiteboxCommands.h"
#include "browser/EnginePainting.h"
#include "foundation/StartupTimeline.h"

int main(int argc, char** argv) {
    StartupTimeline::mark("main");
    CommandLine line = CommandLine::parse(argc, argv);
    if (line.command != CommandLine::Command::None || !line.error.empty()) {
        const std::string program =
            argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "Sitebox";
        return SiteboxCommands::run(line, program, std::cout, std::cerr);
    }
    // Before the toolkit starts: the window class (WM_CLASS) is then the app's id, which its
    // desktop entry names, so docks put its windows under its own icon.
    const std::string id = ApplicationId::ofMainBundle();
    g_set_prgname(id.c_str());
    gdk_set_program_class(id.c_str());
    EnginePainting::applyToThisMachine();
    AppDelegate app;
    return app.run(argc, argv);
}
