// Round trips through the real bus, helper and keyring: a warm credentialsSavedFor: for a site
// with 20 saved logins (median reported as median_ms), and the first call while no helper runs
// (the bus starts one) until its reply.
#include <benchmark/benchmark.h>
#include <gio/gio.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "MainLoopWait.h"
#include "ScratchHome.h"
#include "autofill/VLServiceManager.h"
#include "foundation/GObjectPtr.h"
#include "helper/CorvaInterfaces.h"

namespace {
using Clock = std::chrono::steady_clock;

struct Environment {
    GTestDBus* bus = nullptr;
    GObjectPtr<GSubprocess> keyring;
    GObjectPtr<GDBusConnection> observer;
    std::unique_ptr<VLServiceManager> manager;
    std::optional<Url> site = Url::parse("https://bench.example/login");

    Environment() {
        ScratchHome::init("Bench");
        std::string services = ScratchHome::path() + "/data/dbus-1/services";
        std::filesystem::create_directories(services);
        std::filesystem::create_directories(ScratchHome::path() + "/Bench.app/Contents/MacOS");
        std::filesystem::create_symlink(
            SITEBOX_BUILT_HELPER, ScratchHome::path() + "/Bench.app/Contents/MacOS/CorvaHelper");
        bus = g_test_dbus_new(G_TEST_DBUS_NONE);
        g_test_dbus_add_service_dir(bus, services.c_str());
        g_test_dbus_up(bus);

        std::string runtime = ScratchHome::path() + "/run";
        mkdir(runtime.c_str(), 0700);
        auto launcher = GObjectPtr<GSubprocessLauncher>::adopt(
            g_subprocess_launcher_new(static_cast<GSubprocessFlags>(
                G_SUBPROCESS_FLAGS_STDIN_PIPE | G_SUBPROCESS_FLAGS_STDOUT_SILENCE)));
        g_subprocess_launcher_setenv(launcher.get(), "XDG_RUNTIME_DIR", runtime.c_str(), TRUE);
        keyring = GObjectPtr<GSubprocess>::adopt(g_subprocess_launcher_spawn(
            launcher.get(), nullptr, "gnome-keyring-daemon", "--foreground", "--unlock",
            "--components=secrets", nullptr));
        GOutputStream* input = g_subprocess_get_stdin_pipe(keyring.get());
        g_output_stream_write_all(input, "bench", 5, nullptr, nullptr, nullptr);
        g_output_stream_close(input, nullptr, nullptr);

        observer = GObjectPtr<GDBusConnection>::adopt(g_dbus_connection_new_for_address_sync(
            g_test_dbus_get_bus_address(bus),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr));
        if (!waitUntil([&] { return ownerPid("org.freedesktop.secrets") != 0; })) {
            std::fprintf(stderr, "gnome-keyring-daemon did not start\n");
            std::abort();
        }
        manager = std::make_unique<VLServiceManager>();
        for (int i = 0; i < 20; ++i) {
            bool done = false;
            manager->saveCredentials("password-" + std::to_string(i), "user" + std::to_string(i),
                                     site, [&](bool) { done = true; });
            waitUntil([&] { return done; });
        }
    }

    ~Environment() {
        manager.reset();
        g_subprocess_send_signal(keyring.get(), SIGTERM);
        g_subprocess_wait(keyring.get(), nullptr, nullptr);
        observer.reset();
        g_test_dbus_down(bus);
        g_object_unref(bus);
    }

    pid_t ownerPid(const char* name) {
        GVariant* reply = g_dbus_connection_call_sync(
            observer.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "GetConnectionUnixProcessID", g_variant_new("(s)", name), nullptr,
            G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
        if (!reply) {
            return 0;
        }
        guint32 pid = 0;
        g_variant_get(reply, "(u)", &pid);
        g_variant_unref(reply);
        return static_cast<pid_t>(pid);
    }

    // Seconds from the request to the reply on the main loop.
    double credentialsRoundTrip() {
        std::size_t received = 0;
        auto start = Clock::now();
        manager->credentialsSavedFor(
            site, [&](const std::vector<VLCredentials>& list) { received = list.size() + 1; });
        waitUntil([&] { return received != 0; });
        if (received != 21) {
            std::fprintf(stderr, "expected 20 logins, got %zu\n", received ? received - 1 : 0);
            std::abort();
        }
        return std::chrono::duration<double>(Clock::now() - start).count();
    }
};

Environment* gEnvironment = nullptr;  // made on first use, torn down by main

Environment& environment() {
    if (!gEnvironment) {
        gEnvironment = new Environment;
    }
    return *gEnvironment;
}

double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples.empty() ? 0 : samples[samples.size() / 2];
}

void BM_CredentialsSavedForWarm(benchmark::State& state) {
    Environment& env = environment();
    env.credentialsRoundTrip();  // the helper runs and has its keyring session
    std::vector<double> samples;
    for (auto _ : state) {
        double seconds = env.credentialsRoundTrip();
        samples.push_back(seconds);
        state.SetIterationTime(seconds);
    }
    state.counters["median_ms"] = median(samples) * 1000;
}
BENCHMARK(BM_CredentialsSavedForWarm)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_FirstCallStartsHelper(benchmark::State& state) {
    Environment& env = environment();
    std::vector<double> samples;
    for (auto _ : state) {
        pid_t helper = env.ownerPid(CorvaInterfaces::kBusName);
        if (helper > 0) {
            kill(helper, SIGTERM);
            waitUntil([&] { return env.ownerPid(CorvaInterfaces::kBusName) == 0; });
        }
        double seconds = env.credentialsRoundTrip();
        samples.push_back(seconds);
        state.SetIterationTime(seconds);
    }
    state.counters["median_ms"] = median(samples) * 1000;
}
BENCHMARK(BM_FirstCallStartsHelper)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete gEnvironment;
    return 0;
}
