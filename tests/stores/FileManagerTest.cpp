#include <gtest/gtest.h>

#include <filesystem>

#include "LogCapture.h"
#include "StoreTestSupport.h"

TEST(VLFileManager, SettingsFolderIsNamedByTheBundleIdentifier) {
    EXPECT_EQ(VLFileManager::getCorvaUniqueID(), std::nullopt);
    EXPECT_EQ(VLFileManager::getSettingsPath(), TestHome::dataHome() + "/Corva/(null)/");

    TestHome::setUniqueID("F00D-1234");
    EXPECT_EQ(VLFileManager::getCorvaUniqueID(), "F00D-1234");
    EXPECT_EQ(VLFileManager::getSettingsPath(), TestHome::dataHome() + "/Corva/F00D-1234/");

    // The folder name is used as given and the path always ends in a separator.
    EXPECT_EQ(VLFileManager::getSettingsPathForSandbox("custom name"),
              TestHome::dataHome() + "/Corva/custom name/");

    // An identifier that is not one plain folder name cannot lead elsewhere.
    for (const std::string& hostile :
         std::vector<std::string>{"..", ".", "../../.ssh", "a/b", std::string(256, 'x')}) {
        TestHome::setUniqueID(hostile);
        EXPECT_EQ(VLFileManager::getSettingsPath(), TestHome::dataHome() + "/Corva/(null)/")
            << hostile;
    }
    TestHome::setUniqueID(std::string(255, 'x'));
    EXPECT_EQ(VLFileManager::getSettingsPath(),
              TestHome::dataHome() + "/Corva/" + std::string(255, 'x') + "/");
    EXPECT_EQ(std::filesystem::status(VLFileManager::getSettingsPath()).permissions() &
                  std::filesystem::perms::all,
              std::filesystem::perms::owner_all)
        << "0700";
    // A folder that was left open to others is closed again.
    std::filesystem::permissions(VLFileManager::getSettingsPath(), std::filesystem::perms::all);
    EXPECT_EQ(std::filesystem::status(VLFileManager::getSettingsPath()).permissions() &
                  std::filesystem::perms::all,
              std::filesystem::perms::owner_all);

    // Not UTF-8: no identifier, so the shared folder.
    TestHome::setUniqueID(std::string("\xff\xfe\x01", 3));
    EXPECT_EQ(VLFileManager::getCorvaUniqueID(), std::nullopt);
    EXPECT_EQ(VLFileManager::getSettingsPath(), TestHome::dataHome() + "/Corva/(null)/");
}

TEST(VLFileManager, RemovedFolderComesBackAndBlockedFolderIsLogged) {
    TestHome::setUniqueID("app");
    const std::string path = VLFileManager::getSettingsPath();
    std::filesystem::remove_all(path);
    EXPECT_EQ(VLFileManager::getSettingsPath(), path);
    EXPECT_TRUE(std::filesystem::is_directory(path));

    // A file where the Corva folder should be: the path comes back anyway, with a log line.
    std::filesystem::remove_all(TestHome::dataHome() + "/Corva");
    writeFileBytes(TestHome::dataHome() + "/Corva", "not a folder");
    LogCapture log;
    EXPECT_EQ(VLFileManager::getSettingsPath(), TestHome::dataHome() + "/Corva/app/");
    EXPECT_TRUE(log.contains("error:"));
}
