#pragma once

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "MainLoopWait.h"
#include "foundation/GObjectPtr.h"

inline const std::string kBuiltSitebox =
    std::string(SITEBOX_BUNDLE_DIR) + "/Contents/MacOS/Sitebox";

// A program run in this test's HOME while the test's own main loop (and its server) goes on;
// its output is kept unless `flags` says otherwise (a program that starts others may hold it).
class Process {
  public:
    explicit Process(const std::vector<std::string>& argv,
                     GSubprocessFlags flags = GSubprocessFlags(G_SUBPROCESS_FLAGS_STDOUT_PIPE |
                                                               G_SUBPROCESS_FLAGS_STDERR_PIPE)) {
        std::vector<const char*> args;
        for (const std::string& arg : argv) {
            args.push_back(arg.c_str());
        }
        args.push_back(nullptr);
        auto launcher = GObjectPtr<GSubprocessLauncher>::adopt(g_subprocess_launcher_new(flags));
        g_subprocess_launcher_setenv(launcher.get(), "WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS",
                                     "1", TRUE);
        // A test's private session bus has no accessibility bus.
        g_subprocess_launcher_setenv(launcher.get(), "NO_AT_BRIDGE", "1", TRUE);
        GErrorPtr error;
        process_ = GObjectPtr<GSubprocess>::adopt(
            g_subprocess_launcher_spawnv(launcher.get(), args.data(), error.out()));
        EXPECT_TRUE(process_) << error.message();
        if (process_) {
            g_subprocess_communicate_utf8_async(
                process_.get(), nullptr, nullptr,
                [](GObject* source, GAsyncResult* result, gpointer self) {
                    auto* process = static_cast<Process*>(self);
                    char* out = nullptr;
                    char* err = nullptr;
                    g_subprocess_communicate_utf8_finish(G_SUBPROCESS(source), result, &out, &err,
                                                         nullptr);
                    process->out_ = out ? out : "";
                    process->err_ = err ? err : "";
                    g_free(out);
                    g_free(err);
                    process->done_ = true;
                },
                this);
        }
    }
    ~Process() {
        if (process_ && !done_) {
            g_subprocess_force_exit(process_.get());
            waitUntil([this] { return done_; }, 10000);
        }
    }
    // Waits for the end; the exit status, or -1 when it did not end in time.
    int finish(int timeoutMs = 60000) {
        if (!process_ || !waitUntil([this] { return done_; }, timeoutMs)) {
            return -1;
        }
        g_subprocess_wait(process_.get(), nullptr, nullptr);
        return g_subprocess_get_exit_status(process_.get());
    }
    void terminate() { g_subprocess_send_signal(process_.get(), SIGTERM); }
    const std::string& out() const { return out_; }
    const std::string& err() const { return err_; }

  private:
    GObjectPtr<GSubprocess> process_;
    std::string out_;
    std::string err_;
    bool done_ = false;
};
