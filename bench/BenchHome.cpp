#include "BenchHome.h"

#include <cstdlib>
#include <filesystem>

#include "foundation/Bundle.h"
#include "foundation/Log.h"

namespace {
std::string gPath;
}

void BenchHome::init() {
    if (!gPath.empty()) {
        return;
    }
    std::string tmpl = std::filesystem::temp_directory_path().string() + "/sitebox-bench-XXXXXX";
    if (!mkdtemp(tmpl.data())) {
        std::abort();
    }
    gPath = tmpl;
    std::filesystem::create_directories(gPath + "/Bench.app/Contents/Resources/Scripts");
    setenv("HOME", gPath.c_str(), 1);
    setenv("XDG_DATA_HOME", (gPath + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (gPath + "/config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (gPath + "/cache").c_str(), 1);
    Bundle::setMainBundlePath(gPath + "/Bench.app");
    Log::setSink([](std::string_view) {});
    std::atexit([] {
        std::error_code error;
        std::filesystem::remove_all(gPath, error);
    });
}

const std::string& BenchHome::path() {
    return gPath;
}
