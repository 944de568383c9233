// Opening and closing tabs must not leak: the shell's resident memory after 50 open/load/close
// cycles against after the first. Run under a display: xvfb-run -a tab_cycles_bench [cycles]
#include <gtkmm/main.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "LocalHttpServer.h"
#include "MainLoopWait.h"
#include "ScratchHome.h"
#include "browser/VLMainWindowController.h"
#include "browser/VLWebEngine.h"
#include "browser/VLWebViewController.h"
#include "foundation/Bundle.h"

namespace {
long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return 0;
}

bool cycle(VLTabViewController& tabs, const std::string& url) {
    tabs.addNewTab();
    tabs.openUrl(url);
    bool ok = waitUntil(
        [&] {
            VLWebViewController* page = tabs.selectedWebViewController();
            return page && page->webview().url() == url &&
                   !webkit_web_view_is_loading(page->webview().webView());
        },
        30000);
    tabs.removeCurrentTab();
    // Let closed pages finish going away.
    waitUntil([] { return false; }, 50);
    return ok;
}
}  // namespace

int main(int argc, char** argv) {
    setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", 0);
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 50;
    Gtk::Main kit(argc, argv);
    ScratchHome::init("Bench");
    // The window comes from the source tree's Main.ui.
    std::filesystem::copy(std::string(SITEBOX_SOURCE_DIR) + "/resources/bundle",
                          Bundle::main().resourcePath(),
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
    LocalHttpServer server;
    std::string body = "<!doctype html><html><head><title>Cycle</title></head><body>";
    for (int i = 0; i < 300; ++i) {
        body += "<p>Line " + std::to_string(i) + " of a page opened and closed again.</p>";
    }
    server.serve("/page.html", body + "</body></html>", "text/html");

    VLMainWindowController* window = VLMainWindowController::create();
    if (!window) {
        std::fprintf(stderr, "no window\n");
        return 1;
    }
    VLTabViewController& tabs = window->tabController();
    int failures = 0;
    failures += !cycle(tabs, server.url("/page.html?0"));
    const long first = residentKiB();
    for (int i = 1; i < cycles; ++i) {
        failures += !cycle(tabs, server.url("/page.html?" + std::to_string(i)));
    }
    const long last = residentKiB();
    std::printf("tabs: %d cycles (%d failed loads)\n", cycles, failures);
    std::printf("RSS after 1 cycle: %ld KiB, after %d: %ld KiB, growth %.1f %%\n", first, cycles,
                last, 100.0 * (last - first) / first);
    return failures == 0 ? 0 : 1;
}
