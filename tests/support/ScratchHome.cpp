#include "ScratchHome.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "foundation/Bundle.h"
#include "foundation/Log.h"

namespace {
std::string gPath;
}

void ScratchHome::init(const std::string& name) {
    if (!gPath.empty()) {
        return;
    }
    std::string lower = name;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    std::string tmpl =
        std::filesystem::temp_directory_path().string() + "/sitebox-" + lower + "-XXXXXX";
    if (!mkdtemp(tmpl.data())) {
        std::abort();
    }
    gPath = tmpl;
    const std::string bundle = gPath + "/" + name + ".app";
    std::filesystem::create_directories(bundle + "/Contents/Resources/Scripts");
    setenv("HOME", gPath.c_str(), 1);
    setenv("XDG_DATA_HOME", (gPath + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (gPath + "/config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (gPath + "/cache").c_str(), 1);
    Bundle::setMainBundlePath(bundle);
    Log::setSink([](std::string_view) {});
    std::atexit([] {
        std::error_code error;
        std::filesystem::remove_all(gPath, error);
    });
}

const std::string& ScratchHome::path() {
    return gPath;
}
