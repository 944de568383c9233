#pragma once

#include <string>

// A fresh temporary HOME (with XDG folders inside it) and test bundle for one test case; the
// test main installs one around every case.
class TestHome {
  public:
    // Creates the folders, points HOME and XDG_* at them and the main bundle at a bundle inside.
    static void begin(const std::string& testName);
    // Removes the folder (kept when SITEBOX_KEEP_TEST_HOME is set).
    static void end();

    static const std::string& path();
    static std::string bundlePath();
    static std::string dataHome();
    static std::string configHome();
    static std::string cacheHome();

    // Writes Contents/Info.plist of the test bundle with this identifier and version.
    static void writeInfoPlist(const std::string& identifier, const std::string& version);
    // Sets the app identifier attribute on the test bundle folder (raw bytes).
    static void setUniqueID(const std::string& bytes);

    // Copies the shipped bundle resources (page scripts, rule list, ...) into the test bundle.
    static void installBundleResources();

    // Registers begin/end around every test case with GoogleTest.
    static void installListener();
};
