// One 1 GiB download through the queue from an HTTP server in this process (both on the main
// loop): throughput and how much the peak resident memory grows while it runs.
#include <benchmark/benchmark.h>
#include <glib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "LocalHttpServer.h"
#include "ScratchHome.h"
#include "downloads/VLDownloadQueue.h"
#include "foundation/Files.h"
#include "foundation/MainThread.h"

namespace {
// SITEBOX_BENCH_DOWNLOAD_MB changes the size (in MiB) for a quick run.
const int64_t kBodySize = [] {
    const char* megabytes = std::getenv("SITEBOX_BENCH_DOWNLOAD_MB");
    return (megabytes ? std::atoll(megabytes) : 1024) * 1024 * 1024;
}();
constexpr size_t kPieceSize = 256 * 1024;

// A field of /proc/self/status in kB ("VmHWM", "VmRSS").
long statusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t length = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':') {
            return std::stol(line.substr(length + 1));
        }
    }
    return -1;
}

// Starts a new peak: VmHWM becomes the current resident size.
void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

void BM_DownloadOneGiB(benchmark::State& state, bool chunked) {
    const std::string folder = ScratchHome::path() + "/Downloads";
    Files::createDirectories(folder);
    const std::string path = folder + "/big.bin";
    LocalHttpServer server;
    const std::string piece(kPieceSize, 'd');
    server.handle("/big.bin", [&](const LocalHttpServer::Request&) {
        LocalHttpServer::Response response;
        if (!chunked) {
            response.contentLength = kBodySize;
        }
        response.next = [&piece, left = kBodySize]() mutable {
            size_t size = static_cast<size_t>(std::min<int64_t>(left, piece.size()));
            left -= static_cast<int64_t>(size);
            return std::optional<std::string>(piece.substr(0, size));
        };
        return response;
    });

    double growthMB = 0;
    double seconds = 0;
    for (auto _ : state) {
        VLDownloadQueue queue;
        queue.setMaxConcurrentOperationCount(3);
        auto operation = std::make_shared<VLDownloadOperation>();
        operation->setPath(path);
        operation->setUrl(server.url("/big.bin"));
        bool done = false;
        operation->setFinishedHandler([&] { done = true; });
        // The worker's end must wake the main loop waiting for it.
        operation->setCompletionBlock([] { MainThread::post([] {}); });

        resetPeak();
        const long before = statusKilobytes("VmRSS");
        const gint64 start = g_get_monotonic_time();
        queue.addDownloadOperation(operation);
        while (!done || !operation->isFinished()) {
            g_main_context_iteration(nullptr, TRUE);
        }
        seconds = static_cast<double>(g_get_monotonic_time() - start) / 1e6;
        growthMB = static_cast<double>(statusKilobytes("VmHWM") - before) / 1024.0;
        state.SetIterationTime(seconds);
        if (operation->downloaded() != kBodySize || !Files::exists(path)) {
            state.SkipWithError("the download did not complete");
        }
        ::unlink(path.c_str());
    }
    state.counters["MB_per_s"] = static_cast<double>(kBodySize) / 1e6 / seconds;
    state.counters["peak_RSS_growth_MB"] = growthMB;
}
}  // namespace

BENCHMARK_CAPTURE(BM_DownloadOneGiB, known_length, false)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_DownloadOneGiB, chunked, true)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

int main(int argc, char** argv) {
    ScratchHome::init("Bench");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
