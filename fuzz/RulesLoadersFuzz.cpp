// The three rule files (userscripts.json, userstyles.json, whitelist.json) load whatever bytes
// they hold, answer every query and save; what was saved once reloads and saves to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "FuzzSupport.h"
#include "foundation/Files.h"
#include "rules/VLScriptsManager.h"
#include "rules/VLWhiteListManager.h"
#include "stores/VLFileManager.h"

namespace {
void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken invariant: %s\n", what);
        std::abort();
    }
}

void query(VLScriptsManager& store) {
    for (const std::string& name : store.rulesArray()) {
        (void)store.scriptForRule(name);
        (void)store.getRuleState(name);
        std::optional<std::vector<std::string>> patterns = store.patternsNamesForRule(name);
        check(patterns.has_value(), "a listed rule has patterns");
        for (const std::string& pattern : *patterns) {
            (void)store.getPatternState(pattern, name);
            (void)store.findScriptFor(pattern);
        }
        (void)store.findScriptFor(name);
    }
    (void)store.findScriptFor("https://www.example.com/path?q=1#f");
    (void)store.findScriptFor("");
}

template <class Store>
void roundTrip(const std::string& path, const uint8_t* data, size_t size) {
    fuzzWriteFile(path, data, size);
    {
        Store store;
        store.loadJson();
        query(store);
        check(store.saveJson(), "scripts saved");
    }
    // Invalid UTF-8 is replaced on the first save, which may make two names equal; from the
    // second save on the file must be a fixed point.
    Store second;
    second.loadJson();
    check(second.saveJson(), "scripts saved again");
    const std::string bytes = Files::read(path).data;
    Store third;
    third.loadJson();
    check(third.rulesArray() == second.rulesArray(), "rules survive a reload");
    check(third.saveJson(), "scripts saved a third time");
    check(Files::read(path).data == bytes, "saved scripts are a fixed point");
}

void whitelistRoundTrip(const uint8_t* data, size_t size) {
    const std::string path = VLFileManager::getSettingsPath() + "whitelist.json";
    fuzzWriteFile(path, data, size);
    {
        VLWhiteListManager list;
        for (const std::string& pattern : list.patterns()) {
            (void)list.isUrlAllow(pattern);
        }
        (void)list.isUrlAllow("https://www.example.com/");
        check(list.savePatterns(), "whitelist saved");
    }
    VLWhiteListManager second;
    check(second.savePatterns(), "whitelist saved again");
    const std::string bytes = Files::read(path).data;
    VLWhiteListManager third;
    check(third.patterns() == second.patterns() && third.allowAll() == second.allowAll() &&
              third.allowPatterns() == second.allowPatterns() &&
              third.allowSubdomains() == second.allowSubdomains(),
          "whitelist survives a reload");
    check(third.savePatterns(), "whitelist saved a third time");
    check(Files::read(path).data == bytes, "saved whitelist is a fixed point");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzEnvironmentInit();
    VLScriptsManager scripts;
    roundTrip<VLScriptsManager>(scripts.getJsonPath(), data, size);
    VLStylesManager styles;
    roundTrip<VLStylesManager>(styles.getJsonPath(), data, size);
    whitelistRoundTrip(data, size);
    return 0;
}
