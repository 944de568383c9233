#pragma once

#include <gtkmm/window.h>

#include <string>
#include <vector>

#include "BrowserTestSupport.h"
#include "MainLoopWait.h"
#include "app/AppDelegate.h"
#include "browser/VLMainWindowController.h"

// The application, started in this process as a launch would start it.
struct AppHost {
    AppDelegate app{Gio::APPLICATION_NON_UNIQUE};
    explicit AppHost(const std::vector<std::string>& urls = {}) {
        prepareBrowserTest();
        app.application()->register_application();
        if (urls.empty()) {
            app.application()->activate();
        } else {
            std::vector<Glib::RefPtr<Gio::File>> files;
            for (const auto& url : urls) {
                files.push_back(Gio::File::create_for_uri(url));
            }
            app.application()->open(files);
        }
        waitUntil([this] { return app.launchFinished(); });  // the second launch phase
        drainMainContext();
    }
    ~AppHost() {
        for (Gtk::Window* window : app.application()->get_windows()) {
            window->hide();
        }
    }

    static std::vector<VLMainWindowController*> windows() {
        return VLMainWindowController::openControllers();
    }
};
