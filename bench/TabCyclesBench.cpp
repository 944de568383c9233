// Opening and closing tabs must not leak: the shell's resident memory after 50 open/load/close
// cycles against after the first, and the PSS of the shell with its web processes (which tabs
// share, so a page that leaves something behind shows there). With --same-tab every cycle loads
// the next address in one tab instead (what a tab keeps per navigation). Run under a display:
//   xvfb-run -a tab_cycles_bench [cycles] [--same-tab]
#include <gtkmm/main.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "LocalHttpServer.h"
#include "MainLoopWait.h"
#include "ScratchHome.h"
#include "browser/EnginePainting.h"
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

long pssKiB(const std::string& pid) {
    std::ifstream rollup("/proc/" + pid + "/smaps_rollup");
    std::string line;
    while (std::getline(rollup, line)) {
        if (line.rfind("Pss:", 0) == 0) {
            return std::strtol(line.c_str() + 4, nullptr, 10);
        }
    }
    return 0;
}

// This process and its children (the engine's network and web processes), each named.
long treePssKiB(std::string& parts) {
    const std::string self = std::to_string(getpid());
    long total = pssKiB(self);
    parts = "shell " + std::to_string(total);
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string pid = entry.path().filename();
        if (pid.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::ifstream stat(entry.path() / "stat");
        std::string text((std::istreambuf_iterator<char>(stat)), {});
        const size_t start = text.find('(');
        const size_t end = text.rfind(')');
        if (start == std::string::npos || end == std::string::npos) {
            continue;
        }
        std::istringstream fields(text.substr(end + 2));
        std::string state, parent;
        fields >> state >> parent;
        if (parent == self && state != "Z") {
            const long pss = pssKiB(pid);
            total += pss;
            parts += ", " + text.substr(start + 1, end - start - 1) + " " + std::to_string(pss);
        }
    }
    return total;
}

bool cycle(VLTabViewController& tabs, const std::string& url, bool sameTab) {
    if (!sameTab) {
        tabs.addNewTab();
    }
    tabs.openUrl(url);
    bool ok = waitUntil(
        [&] {
            VLWebViewController* page = tabs.selectedWebViewController();
            return page && page->webview().url() == url &&
                   !webkit_web_view_is_loading(page->webview().webView());
        },
        30000);
    if (!sameTab) {
        tabs.removeCurrentTab();
    }
    // Let closed pages finish going away.
    waitUntil([] { return false; }, 50);
    return ok;
}
}  // namespace

int main(int argc, char** argv) {
    setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", 0);
    EnginePainting::applyToThisMachine();
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 50;
    const bool sameTab = argc > 2 && std::string(argv[2]) == "--same-tab";
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
    failures += !cycle(tabs, server.url("/page.html?0"), sameTab);
    // Closed pages leave garbage the engine collects at its next memory check (every 5 s).
    waitUntil([] { return false; }, 6000);
    const long first = residentKiB();
    std::string firstParts;
    const long firstTree = treePssKiB(firstParts);
    for (int i = 1; i < cycles; ++i) {
        failures += !cycle(tabs, server.url("/page.html?" + std::to_string(i)), sameTab);
    }
    waitUntil([] { return false; }, 6000);
    const long last = residentKiB();
    std::string lastParts;
    const long lastTree = treePssKiB(lastParts);
    std::printf("%s: %d cycles (%d failed loads)\n", sameTab ? "navigations in one tab" : "tabs",
                cycles, failures);
    std::printf("RSS after 1 cycle: %ld KiB, after %d: %ld KiB, growth %.1f %%\n", first, cycles,
                last, 100.0 * (last - first) / first);
    std::printf(
        "PSS with the engine's processes after 1 cycle: %ld KiB (%s), after %d: %ld KiB (%s), "
        "growth %.1f %%\n",
        firstTree, firstParts.c_str(), cycles, lastTree, lastParts.c_str(),
        100.0 * (lastTree - firstTree) / firstTree);
    return failures == 0 ? 0 : 1;
}
