#include <gtest/gtest.h>

#include <filesystem>

#include "FileGuards.h"
#include "LogCapture.h"
#include "TestHome.h"
#include "rules/VLScriptsManager.h"
#include "stores/VLFileManager.h"

using nlohmann::json;
using namespace nlohmann::literals;

namespace {
std::string scriptsFile() {
    return TestHome::bundlePath() + "/Contents/Resources/Scripts/userscripts.json";
}
std::string stylesFile() {
    return VLFileManager::getSettingsPath() + "userstyles.json";
}

// A store owned by the test, loaded the way sharedManager loads it.
template <class Store>
struct Loaded : Store {
    Loaded() { this->loadJson(); }
};

using Names = std::vector<std::string>;
}  // namespace

TEST(VLScriptsManager, EachStoreReadsItsOwnFileOnFirstUse) {
    writeFileBytes(scriptsFile(), R"([{"name":"S","state":1}])");
    writeFileBytes(stylesFile(), R"([{"name":"C","state":1}])");
    VLScriptsManager& scripts = VLScriptsManager::sharedManager();
    VLStylesManager& styles = VLStylesManager::sharedManager();
    EXPECT_EQ(scripts.rulesArray(), Names{"S"});
    EXPECT_EQ(styles.rulesArray(), Names{"C"});

    // Each saves to its own file, creating the Scripts folder when it is gone.
    std::filesystem::remove_all(TestHome::bundlePath() + "/Contents/Resources/Scripts");
    scripts.addRule("S2", 1);
    styles.removeRule("C");
    ASSERT_TRUE(scripts.saveJson());
    ASSERT_TRUE(styles.saveJson());
    EXPECT_EQ(Loaded<VLScriptsManager>().rulesArray(), (Names{"S", "S2"}));
    EXPECT_EQ(Loaded<VLStylesManager>().rulesArray(), Names{});
}

TEST(VLScriptsManager, RoundTripKeepsEveryFieldAndAFailedSaveKeepsTheFile) {
    Loaded<VLScriptsManager> store;
    store.addRule("Rule 1", 1);
    store.addScript(std::string("document.title = \"\xc3\xa9\";\n"), "Rule 1");
    store.addPattern("*domain_0*", "Rule 1", 1);
    store.addPattern("off", "Rule 1", 0);
    store.addRule("Rule 2", 0);
    ASSERT_TRUE(store.saveJson());
    const std::string saved = readFileBytes(scriptsFile());
    json byName;  // the rules are in no particular order
    for (const json& rule : json::parse(saved)) {
        byName[rule["name"].get<std::string>()] = rule;
    }
    EXPECT_EQ(byName, R"({"Rule 1": {"name": "Rule 1", "state": 1,
        "script": "document.title = \"\u00e9\";\n", "pattern": {
            "*domain_0*": {"name": "*domain_0*", "state": 1}, "off": {"name": "off", "state": 0}}},
        "Rule 2": {"name": "Rule 2", "state": 0, "pattern": {}}})"_json);
    EXPECT_EQ(saved.find('\n'), std::string::npos) << "compact";
    // Read back and written again, nothing is lost.
    ASSERT_TRUE(Loaded<VLScriptsManager>().saveJson());
    EXPECT_EQ(readFileBytes(scriptsFile()), saved);

    store.addRule("Big", 1);
    store.addScript(std::string(200000, 's'), "Big");
    FileSizeLimit fullDisk(64);
    LogCapture log;
    EXPECT_FALSE(store.saveJson());
    EXPECT_TRUE(log.contains("not saved"));
    EXPECT_EQ(readFileBytes(scriptsFile()), saved);
}

TEST(VLScriptsManager, ReadingIsForgivingEntryByEntry) {
    writeFileBytes(scriptsFile(), R"([
        {"name":"A","state":1},
        {"state":1,"script":"no name"},
        42, "text", null, [],
        {"name":"B","script":"first"},
        {"name":"B","script":"second","state":1},
        {"name":7},
        {"name":"C","state":"on","script":["x"],"pattern":{"k":"v","p":{"name":"p"}}}
    ])");
    LogCapture log;
    Loaded<VLScriptsManager> store;
    EXPECT_EQ(store.rulesArray(), (Names{"A", "B", "C"}));
    EXPECT_EQ(store.scriptForRule("B"), "second");
    EXPECT_EQ(store.getRuleState("C"), 0);
    EXPECT_GE(log.lines().size(), 7u);  // 6 bad entries, a bad script, a bad pattern
}

TEST(VLScriptsManager, BadFilesLoadEmptyAndStayUntilSaved) {
    // An empty file or list, and a missing file, are silent; the rest is logged.
    // clang-format off
    for (auto [bad, logged] : std::vector<std::pair<std::string, bool>>{
             {R"({"name":"A"})", true}, {R"([{"name":)", true}, {"null", true}, {"", false}, {"[]", false}}) {
        // clang-format on
        writeFileBytes(scriptsFile(), bad);
        LogCapture log;
        EXPECT_TRUE(Loaded<VLScriptsManager>().rulesArray().empty()) << bad;
        EXPECT_EQ(!log.lines().empty(), logged) << bad;
        EXPECT_EQ(readFileBytes(scriptsFile()), bad);
    }
    std::filesystem::remove(scriptsFile());
    LogCapture log;
    EXPECT_TRUE(Loaded<VLScriptsManager>().rulesArray().empty());
    EXPECT_TRUE(log.lines().empty());
    std::filesystem::create_directory(scriptsFile());
    EXPECT_TRUE(Loaded<VLScriptsManager>().rulesArray().empty());
    EXPECT_FALSE(log.lines().empty()) << "an unreadable file is logged";
}

TEST(VLScriptsManager, EditingOperations) {
    VLScriptsManager store;
    store.addRule("Rule 10", 1);
    store.addRule("Rule 9", 1);
    store.addRule("rule 1", 1);
    EXPECT_EQ(store.rulesArray(), (Names{"Rule 9", "Rule 10", "rule 1"}));

    // Adding under an existing name replaces the rule with an empty one.
    store.addPattern("p", "Rule 9", 1);
    store.addScript(std::string("s"), "Rule 9");
    store.addRule("Rule 9", 0);
    EXPECT_EQ(store.patternsNamesForRule("Rule 9"), Names{});
    EXPECT_EQ(store.scriptForRule("Rule 9"), std::nullopt);

    // Renaming onto another rule replaces it; renaming an unknown rule changes nothing.
    store.addScript(std::string("ten"), "Rule 10");
    store.renameRule("Rule 10", "Rule 9");
    EXPECT_EQ(store.rulesArray(), (Names{"Rule 9", "rule 1"}));
    EXPECT_EQ(store.scriptForRule("Rule 9"), "ten");
    EXPECT_EQ(store.rules().at("Rule 9").name(), "Rule 9");
    store.renameRule("ghost", "rule 1");
    EXPECT_EQ(store.rulesArray(), (Names{"Rule 9", "rule 1"}));

    // Patterns: add replaces the state, setState(.., pattern) files the pattern, rename moves.
    store.addPattern("a", "Rule 9", 1);
    store.setState(0, "Rule 9", "a");
    EXPECT_EQ(store.getPatternState("a", "Rule 9"), 0);
    store.setState(5, "Rule 9", "new");
    EXPECT_EQ(store.getPatternState("new", "Rule 9"), 5);
    store.renamePattern("new", "renamed", "Rule 9");
    EXPECT_EQ(store.patternsNamesForRule("Rule 9"), (Names{"a", "renamed"}));
    store.removePattern("a", "Rule 9");
    EXPECT_EQ(store.patternsNamesForRule("Rule 9"), Names{"renamed"});

    // Unknown rules: nothing happens, nothing is returned.
    store.addPattern("p", "ghost", 1);
    store.addScript(std::string("s"), "ghost");
    store.setState(1, "ghost");
    store.setState(1, "ghost", "p");
    store.removeRule("ghost");
    EXPECT_EQ(store.rulesArray(), (Names{"Rule 9", "rule 1"}));
    EXPECT_EQ(store.patternsNamesForRule("ghost"), std::nullopt);
    EXPECT_EQ(store.scriptForRule("ghost"), std::nullopt);
    EXPECT_EQ(store.getRuleState("ghost"), 0);
    EXPECT_EQ(store.getPatternState("p", "ghost"), 0);
    store.setState(0, "rule 1");
    EXPECT_EQ(store.getRuleState("rule 1"), 0);
    store.removeRule("rule 1");
    EXPECT_EQ(store.rulesArray(), Names{"Rule 9"});
}

TEST(VLScriptsManager, FindScriptFor) {
    VLScriptsManager store;
    // A switched-off rule is never consulted, whatever its patterns.
    store.addRule("Off", 0);
    store.addPattern("*", "Off", 1);
    store.addScript(std::string("off"), "Off");
    EXPECT_EQ(store.findScriptFor("https://x/"), std::nullopt);

    store.addRule("Rule 2", 1);
    store.addPattern("mail.example.com", "Rule 2", 1);
    store.addScript(std::string("two"), "Rule 2");
    store.addRule("Rule 10", 1);
    store.addPattern("*example*", "Rule 10", 1);
    store.addScript(std::string("ten"), "Rule 10");
    EXPECT_EQ(store.findScriptFor("https://mail.example.com/"), "two");
    EXPECT_EQ(store.findScriptFor("https://www.example.com/"), "ten");
    EXPECT_EQ(store.findScriptFor("https://other.org/?u=mail.example.com"), "two");
    EXPECT_EQ(store.findScriptFor("https://other.org/"), std::nullopt);

    // The first matching rule decides even without text; a switched-off pattern does not match.
    store.addScript(std::nullopt, "Rule 2");
    EXPECT_EQ(store.findScriptFor("https://mail.example.com/"), std::nullopt);
    store.setState(0, "Rule 2", "mail.example.com");
    EXPECT_EQ(store.findScriptFor("https://mail.example.com/"), "ten");
    store.setState(0, "Rule 10");
    EXPECT_EQ(store.findScriptFor("https://mail.example.com/"), std::nullopt);
}
