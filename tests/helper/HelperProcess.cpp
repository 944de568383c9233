#include "HelperProcess.h"

#include <csignal>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "FileGuards.h"
#include "MainLoopWait.h"
#include "PrivateBus.h"
#include "TestHome.h"
#include "helper/CorvaInterfaces.h"

std::string HelperProcess::builtHelperPath() {
    if (const char* bundle = std::getenv("SITEBOX_BUNDLE_DIR")) {
        return std::string(bundle) + "/Contents/MacOS/CorvaHelper";
    }
    return SITEBOX_BUILT_HELPER;
}

HelperProcess::HelperProcess(const PrivateBus& bus) : logPath_(TestHome::path() + "/helper.log") {
    auto launcher =
        GObjectPtr<GSubprocessLauncher>::adopt(g_subprocess_launcher_new(G_SUBPROCESS_FLAGS_NONE));
    g_subprocess_launcher_setenv(launcher.get(), "DBUS_SESSION_BUS_ADDRESS", bus.address().c_str(),
                                 TRUE);
    g_subprocess_launcher_set_stderr_file_path(launcher.get(), logPath_.c_str());
    GErrorPtr error;
    std::string path = builtHelperPath();
    process_ = GObjectPtr<GSubprocess>::adopt(
        g_subprocess_launcher_spawn(launcher.get(), error.out(), path.c_str(), nullptr));
    if (!process_) {
        throw std::runtime_error(std::string("cannot start CorvaHelper: ") + error.message());
    }
    GObjectPtr<GDBusConnection> watcher = bus.connect();
    if (!bus.waitForOwner(watcher.get(), CorvaInterfaces::kBusName, true)) {
        throw std::runtime_error("CorvaHelper did not take its name; it logged: " + log());
    }
}

HelperProcess::~HelperProcess() {
    if (!process_) {
        return;
    }
    bool exited = false;
    g_subprocess_send_signal(process_.get(), SIGTERM);
    g_subprocess_wait_async(
        process_.get(), nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            g_subprocess_wait_finish(G_SUBPROCESS(source), result, nullptr);
            *static_cast<bool*>(data) = true;
        },
        &exited);
    if (!waitUntil([&] { return exited; }, 5000)) {
        g_subprocess_force_exit(process_.get());
        waitUntil([&] { return exited; }, 5000);
    }
}

std::string HelperProcess::log() const {
    return readFileBytes(logPath_);
}

int HelperProcess::countLines(const std::string& text) const {
    std::istringstream lines(log());
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        count += line.find(text) != std::string::npos ? 1 : 0;
    }
    return count;
}

bool HelperProcess::running() {
    drainMainContext();
    return process_ && g_subprocess_get_identifier(process_.get()) != nullptr;
}
