#include "TestHome.h"

#include <sys/xattr.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "foundation/Bundle.h"

namespace {
std::string gPath;

void setEnv(const char* name, const std::string& value) {
    setenv(name, value.c_str(), 1);
}
}  // namespace

void TestHome::begin(const std::string& testName) {
    std::string tmpl = std::filesystem::temp_directory_path().string() + "/sitebox-test-XXXXXX";
    if (!mkdtemp(tmpl.data())) {
        throw std::runtime_error("cannot create a temporary HOME for " + testName);
    }
    gPath = tmpl;
    for (const char* sub : {"/.local/share", "/.config", "/.cache", "/.local/state", "/Downloads",
                            "/Test.app/Contents/MacOS", "/Test.app/Contents/Resources/Scripts"}) {
        std::filesystem::create_directories(gPath + sub);
    }
    setEnv("HOME", gPath);
    setEnv("XDG_DATA_HOME", dataHome());
    setEnv("XDG_CONFIG_HOME", configHome());
    setEnv("XDG_CACHE_HOME", cacheHome());
    setEnv("XDG_STATE_HOME", gPath + "/.local/state");
    writeInfoPlist("com.KVX.SiteboxTest", "1.0.0");
    Bundle::setMainBundlePath(bundlePath());
}

void TestHome::end() {
    if (gPath.empty() || std::getenv("SITEBOX_KEEP_TEST_HOME")) {
        return;
    }
    std::error_code error;
    // Tests make folders read-only to provoke write failures; give permissions back first.
    for (auto it = std::filesystem::recursive_directory_iterator(
             gPath, std::filesystem::directory_options::skip_permission_denied, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, error);
    }
    std::filesystem::remove_all(gPath, error);
    gPath.clear();
}

const std::string& TestHome::path() {
    return gPath;
}
std::string TestHome::bundlePath() {
    return gPath + "/Test.app";
}
std::string TestHome::dataHome() {
    return gPath + "/.local/share";
}
std::string TestHome::configHome() {
    return gPath + "/.config";
}
std::string TestHome::cacheHome() {
    return gPath + "/.cache";
}

void TestHome::writeInfoPlist(const std::string& identifier, const std::string& version) {
    std::ofstream out(bundlePath() + "/Contents/Info.plist");
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
        << "<key>CFBundleIdentifier</key><string>" << identifier << "</string>"
        << "<key>CFBundleExecutable</key><string>Sitebox</string>"
        << "<key>CFBundleShortVersionString</key><string>" << version << "</string>"
        << "</dict></plist>\n";
}

void TestHome::installBundleResources() {
    const std::filesystem::path source =
        std::filesystem::path(SITEBOX_SOURCE_DIR) / "resources/bundle";
    std::filesystem::copy(source, bundlePath() + "/Contents/Resources",
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
    // The short ad-blocking list: quick to compile in every case that blocks ads.
    std::filesystem::copy_file(
        std::filesystem::path(SITEBOX_SOURCE_DIR) / "resources/fallback/rules.json",
        bundlePath() + "/Contents/Resources/rules.json",
        std::filesystem::copy_options::overwrite_existing);
}

void TestHome::setUniqueID(const std::string& bytes) {
    if (setxattr(bundlePath().c_str(), "user.CorvaUniqueID", bytes.data(), bytes.size(), 0) != 0) {
        throw std::runtime_error("cannot set user.CorvaUniqueID on the test bundle");
    }
}

namespace {
class HomePerTest : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo& info) override {
        TestHome::begin(std::string(info.test_suite_name()) + "." + info.name());
    }
    void OnTestEnd(const testing::TestInfo&) override { TestHome::end(); }
};
}  // namespace

void TestHome::installListener() {
    testing::UnitTest::GetInstance()->listeners().Append(new HomePerTest);  // gtest owns it
}
