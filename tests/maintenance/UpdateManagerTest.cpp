#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "FileGuards.h"
#include "LogCapture.h"
#include "TestHome.h"
#include "foundation/JsonFile.h"
#include "foundation/Plist.h"
#include "maintenance/VersionOrder.h"
#include "maintenance_update/VLUpdateManager.h"

namespace {
std::string listPath() {
    return TestHome::path() + "/.KVX/.update";
}

nlohmann::json plistOf(const std::string& bundle) {
    return Plist::readFile(bundle + "/Contents/Info.plist").value_or(nullptr);
}

// A bundle with `info` whose shell parts all say `tag`, beside an icon, a configuration and user
// scripts of its own.
void writeBundle(const std::string& bundle, const std::string& tag, const nlohmann::json& info) {
    const std::string contents = bundle + "/Contents";
    const std::string executable =
        contents + "/MacOS/" + info["CFBundleExecutable"].get<std::string>();
    writeFileBytes(executable, tag + " program");
    std::filesystem::permissions(executable, std::filesystem::perms::owner_all);
    writeFileBytes(contents + "/Info.plist", Plist::toXml(info));
    writeFileBytes(contents + "/MacOS/CorvaHelper", tag + " helper");
    writeFileBytes(contents + "/Resources/Base.lproj/Main.ui", tag + " ui");
    for (const char* file : {"VLAPIHelper.js", "welcome.html", "rules.json", "rules-version.json",
                             "AppIcon.icns", "Scripts/userscripts.json"}) {
        writeFileBytes(contents + "/Resources/" + file, tag + " " + file);
    }
    writeFileBytes(contents + "/Resources/CorvaCreationToolSettings.plist",
                   Plist::toXml({{"isCreatedByCorvaCreationTool", true}, {"tag", tag}}));
}
}  // namespace

TEST(VersionOrderTest, DigitRunsCompareByValue) {
    // clang-format off
    const std::vector<std::tuple<std::string, std::string, int>> cases = {
        {"1.9", "1.10", -1}, {"2", "2", 0}, {"1.0.0", "1.0.1", -1}, {"1.0", "1.0.0", -1},
        {"1.01", "1.1", 0}, {"10", "9", 1}, {"1.0b2", "1.0b10", -1}, {"", "1", -1},
        {"1.2", "1.2a", -1}, {"99999999999999999999", "100000000000000000000", -1}};
    // clang-format on
    for (const auto& [a, b, order] : cases) {
        const int got = VersionOrder::compare(a, b);
        EXPECT_EQ((got > 0) - (got < 0), order) << a << " vs " << b;
    }
}

TEST(UpdateManagerTest, RegistrationAddsOnceAndKeepsWhatOthersWrote) {
    {
        VLUpdateManager manager;
        manager.init();
        manager.addUpdatePath(TestHome::bundlePath());
        // Another app registers meanwhile; this process still holds the list it read.
        writeFileBytes(listPath(),
                       "{\"" + TestHome::bundlePath() + "\":\"1.0.0\",\"/other.app\":\"0.5\"}");
        manager.addUpdatePath("/third.app", "0.7");
    }
    TestHome::writeInfoPlist("com.KVX.SiteboxTest", "2.0");
    VLUpdateManager relaunched;
    relaunched.init();
    relaunched.addUpdatePath(TestHome::bundlePath());
    const nlohmann::json list = JsonFile::parse(readFileBytes(listPath()), nullptr);
    EXPECT_EQ(list, (nlohmann::json{{TestHome::bundlePath(), "1.0.0"},
                                    {"/other.app", "0.5"},
                                    {"/third.app", "0.7"}}));
}

TEST(UpdateManagerTest, UpdateRunReplacesTheShellAndKeepsEachAppsOwnFiles) {
    const std::string root = TestHome::path();
    const std::string shell = root + "/template/Sitebox.app";
    writeBundle(shell, "new",
                {{"CFBundleExecutable", "Sitebox"},
                 {"CFBundleShortVersionString", "1.10"},
                 {"CFBundleVersion", "7"}});
    const nlohmann::json appInfo = {
        {"CFBundleIdentifier", "com.KVX.Sitebox.Mail-1"},
        {"CFBundleName", "Mail"},
        {"CFBundleExecutable", "Mail"},
        {"CFBundleShortVersionString", "1.9"},
        {"NSAppTransportSecurity", {{"NSAllowsArbitraryLoadsInWebContent", true}, {"Other", 1}}}};
    const nlohmann::json sitebox = {{"CFBundleExecutable", "Sitebox"}};
    const std::string older = root + "/apps/Mail.app";      // 1.9: updated
    const std::string rebuilt = root + "/apps/Same.app";    // 1.10 with another shell: updated
    const std::string newer = root + "/apps/Newer.app";     // the number 2: left alone
    const std::string broken = root + "/apps/Broken.app";   // unreadable Info.plist
    const std::string gone = root + "/apps/Gone.app";       // dropped from the list
    const std::string build = root + "/build/Sitebox.app";  // another template: left alone
    writeBundle(older, "old", appInfo);
    writeFileBytes(older + "/Contents/Resources/Base.lproj/Stale.ui", "old");
    std::filesystem::permissions(
        older + "/Contents/MacOS/Mail",
        std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    writeBundle(rebuilt, "old",
                {{"CFBundleExecutable", "Sitebox"}, {"CFBundleShortVersionString", "1.10"}});
    writeBundle(newer, "old", sitebox);
    writeBundle(broken, "old", sitebox);
    writeFileBytes(broken + "/Contents/Info.plist", "<plist><dict><key>x");
    writeBundle(build, "old", sitebox);
    std::filesystem::remove(build + "/Contents/Resources/CorvaCreationToolSettings.plist");
    writeFileBytes(listPath(), nlohmann::json{{older, "1.9"},
                                              {rebuilt, "1.10"},
                                              {newer, 2},
                                              {broken, "1.0"},
                                              {gone, "1.0"},
                                              {shell, "1.0"},
                                              {build, "1.0"},
                                              {"/odd.app", true}}
                                   .dump());

    LogCapture log;
    VLUpdateManager manager;
    manager.init();
    manager.setTemplatePath(shell);
    manager.checkForUpdate();
    manager.waitUntilAllOperationsAreFinished();

    std::map<std::string, VLUpdateManager::Outcome::Result> outcomes;
    for (const auto& outcome : manager.outcomes()) {
        outcomes[outcome.bundlePath] = outcome.result;
    }
    using R = VLUpdateManager::Outcome::Result;
    EXPECT_EQ(
        outcomes,
        (std::map<std::string, R>{
            {older, R::Updated}, {rebuilt, R::Updated}, {broken, R::Failed}, {gone, R::Dropped}}));
    EXPECT_TRUE(log.contains("Cannot update plist"));

    // The shell is the template's, under the app's own executable name; stale files went with
    // the old folder.
    EXPECT_EQ(readFileBytes(older + "/Contents/MacOS/Mail"), "new program");
    EXPECT_TRUE(std::filesystem::status(older + "/Contents/MacOS/Mail").permissions() ==
                std::filesystem::perms::owner_all);
    EXPECT_EQ(readFileBytes(older + "/Contents/MacOS/CorvaHelper"), "new helper");
    EXPECT_EQ(readFileBytes(older + "/Contents/Resources/Base.lproj/Main.ui"), "new ui");
    EXPECT_FALSE(std::filesystem::exists(older + "/Contents/Resources/Base.lproj/Stale.ui"));
    for (const char* file :
         {"VLAPIHelper.js", "welcome.html", "rules.json", "rules-version.json"}) {
        EXPECT_EQ(readFileBytes(older + "/Contents/Resources/" + file), std::string("new ") + file);
    }
    for (const char* own : {"AppIcon.icns", "Scripts/userscripts.json"}) {
        EXPECT_EQ(readFileBytes(older + "/Contents/Resources/" + own), std::string("old ") + own);
    }
    EXPECT_EQ(Plist::readFile(older + "/Contents/Resources/CorvaCreationToolSettings.plist")
                  ->value("tag", ""),
              "old");
    nlohmann::json expected = appInfo;
    expected["CFBundleShortVersionString"] = "1.10";
    expected["CFBundleVersion"] = "7";
    expected["NSAppTransportSecurity"] = {{"Other", 1}};
    EXPECT_EQ(plistOf(older), expected);
    EXPECT_EQ(readFileBytes(rebuilt + "/Contents/MacOS/Sitebox"), "new program");
    EXPECT_EQ(readFileBytes(newer + "/Contents/MacOS/Sitebox"), "old program");
    EXPECT_EQ(readFileBytes(broken + "/Contents/MacOS/Sitebox"), "old program");
    EXPECT_EQ(readFileBytes(build + "/Contents/MacOS/Sitebox"), "old program");
    EXPECT_EQ(countFilesIn(older + "/Contents/MacOS"), 2u) << "no temporary file is left";

    // The list is saved with what changed; what the run could not read stays.
    EXPECT_EQ(JsonFile::parse(readFileBytes(listPath()), nullptr),
              (nlohmann::json{{older, "1.10"},
                              {rebuilt, "1.10"},
                              {newer, 2},
                              {broken, "1.0"},
                              {shell, "1.0"},
                              {build, "1.0"},
                              {"/odd.app", true}}));

    // Up to date now: a second run changes nothing.
    VLUpdateManager again;
    again.init();
    again.setTemplatePath(shell);
    again.checkForUpdate();
    again.waitUntilAllOperationsAreFinished();
    ASSERT_EQ(again.outcomes().size(), 1u);
    EXPECT_EQ(again.outcomes()[0].bundlePath, broken);
}
