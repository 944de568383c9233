#include <gtest/gtest.h>
#include <sys/stat.h>

#include "FileGuards.h"
#include "LogCapture.h"
#include "TestHome.h"
#include "foundation/UserDefaults.h"

TEST(UserDefaults, BoolWithDefaultAndPersistence) {
    const std::string path = TestHome::configHome() + "/com.test/defaults.json";
    {
        UserDefaults defaults(path);
        EXPECT_TRUE(defaults.boolForKey("DockBadge", true));
        EXPECT_FALSE(defaults.boolForKey("DockBadge", false));
        defaults.setBool("DockBadge", false);
        defaults.setBool("UserNotifications", true);
        defaults.setString("lastUserAnget", "Firefox-Mac");
    }
    UserDefaults again(path);
    EXPECT_FALSE(again.boolForKey("DockBadge", true));
    EXPECT_TRUE(again.boolForKey("UserNotifications", false));
    EXPECT_EQ(again.stringForKey("lastUserAnget"), "Firefox-Mac");
    again.removeObject("DockBadge");
    EXPECT_TRUE(UserDefaults(path).boolForKey("DockBadge", true));

    // Setting what is stored already leaves the file alone (each write replaces it).
    struct stat before {
    }, after{};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    again.setBool("UserNotifications", true);
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST(UserDefaults, BooleanReadingOfStoredValues) {
    using J = nlohmann::json;
    for (const J& yes : {J(1), J(0.5), J("YES"), J("  true"), J("007")}) {
        EXPECT_TRUE(UserDefaults::boolValue(yes)) << yes;
    }
    for (const J& no : {J(0), J("no"), J(""), J::array({1}), J::object()}) {
        EXPECT_FALSE(UserDefaults::boolValue(no)) << no;
    }

    // A value of another kind is still "present": the default does not apply.
    UserDefaults defaults(TestHome::configHome() + "/x/defaults.json");
    defaults.setObject("WebGrammarCheckingEnabled", J::array());
    EXPECT_FALSE(defaults.boolForKey("WebGrammarCheckingEnabled", true));
}

TEST(UserDefaults, UnreadableFileStartsEmptyAndIsNotLostOnFailedWrite) {
    const std::string folder = TestHome::configHome() + "/bad";
    writeFileBytes(folder + "/defaults.json", "[1,2");
    LogCapture log;
    UserDefaults defaults(folder + "/defaults.json");
    EXPECT_TRUE(log.contains("defaults.json"));
    EXPECT_FALSE(defaults.objectForKey("anything"));

    defaults.setBool("ok", true);
    const std::string saved = readFileBytes(folder + "/defaults.json");
    EXPECT_EQ(saved, "{\"ok\":true}");
    {
        FileSizeLimit limit(4);
        defaults.setString("big", std::string(1000, 'b'));
    }
    EXPECT_TRUE(log.contains("user defaults not saved"));
    EXPECT_EQ(readFileBytes(folder + "/defaults.json"), saved);
    // The same value again, once writing works: it reaches the file this time.
    defaults.setString("big", std::string(1000, 'b'));
    EXPECT_TRUE(UserDefaults(folder + "/defaults.json").stringForKey("big"));

    // Nested without end: refused, not a crash at every start.
    writeFileBytes(folder + "/defaults.json", std::string(200000, '['));
    EXPECT_FALSE(UserDefaults(folder + "/defaults.json").objectForKey("ok"));
    EXPECT_TRUE(log.contains("nested deeper"));
}
