#include "FuzzSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "foundation/Bundle.h"
#include "foundation/Log.h"

namespace {
std::string gHome;
}

void fuzzEnvironmentInit() {
    if (!gHome.empty()) {
        return;
    }
    std::string tmpl = std::filesystem::temp_directory_path().string() + "/sitebox-fuzz-XXXXXX";
    if (!mkdtemp(tmpl.data())) {
        std::abort();
    }
    gHome = tmpl;
    std::filesystem::create_directories(gHome + "/Fuzz.app/Contents/Resources/Scripts");
    setenv("HOME", gHome.c_str(), 1);
    setenv("XDG_DATA_HOME", (gHome + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (gHome + "/config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (gHome + "/cache").c_str(), 1);
    Bundle::setMainBundlePath(gHome + "/Fuzz.app");
    // Bad inputs log on every run; keep the fuzzer's output readable.
    Log::setSink([](std::string_view) {});
    std::atexit([] {
        std::error_code error;
        std::filesystem::remove_all(gHome, error);
    });
}

const std::string& fuzzHome() {
    return gHome;
}

void fuzzWriteFile(const std::string& path, const unsigned char* data, size_t size) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}
