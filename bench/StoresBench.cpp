// Loading, listing and saving the biggest stores: a 10,000-entry history and a full settings file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "ScratchHome.h"
#include "foundation/JsonFile.h"
#include "stores/VLFileManager.h"
#include "stores/VLHistoryManager.h"
#include "stores/VLSettingsManager.h"

namespace {
void writeHistory(int entries) {
    nlohmann::json history = nlohmann::json::object();
    char date[64];
    for (int i = 0; i < entries; ++i) {
        // Dates out of order, like titles keyed in a dictionary.
        int n = (i * 7919) % entries;
        std::snprintf(date, sizeof date, "20%02d-%02d-%02d %02d:%02d:%02d+02:00 T", 10 + n % 15,
                      1 + n % 12, 1 + n % 28, n % 24, n % 60, (n / 60) % 60);
        history["Page title number " + std::to_string(i) + " - Example Site"] = {
            {"url", "https://www.example.com/articles/" + std::to_string(i) + "?ref=history"},
            {"date", date}};
    }
    JsonFile::save(VLFileManager::getSettingsPath() + "history.json", history);
}

void writeFullSettings() {
    nlohmann::json settings = {{"main_url", "mail.example.com/inbox"},
                               {"openEmptyPage;", 0},
                               {"downloads", "/home/user/Downloads"},
                               {"fontName", "DejaVu Sans"},
                               {"fontSize", 14.0},
                               {"windowColor", "0.200000 0.400000 0.600000 1.000000"},
                               {"autowindowColor", false},
                               {"windowOpacityKey", 0.95},
                               {"windowLevelKey", 3},
                               {"windowHasShadow", true},
                               {"hideTitle", false},
                               {"hideTitleIcon", false},
                               {"hideTitlebar", false},
                               {"hideToolbarButton", false},
                               {"hidePreferences", false},
                               {"hideProgressBar", false},
                               {"enablePlugins", true},
                               {"enableJavaScript", true},
                               {"blockPopupWindoww", true},
                               {"blockAds", true},
                               {"allowCookies", 2},
                               {"selectNewTab", true},
                               {"returnToPrior", true},
                               {"confirmBeforeTabsClose", true},
                               {"showBookmark", true},
                               {"appearance", 1},
                               {"refreshTimeInterval", 300.0}};
    JsonFile::save(VLFileManager::getSettingsPath() + "settings.json", settings);
}

void BM_HistoryLoadAndSort(benchmark::State& state) {
    ScratchHome::init("Bench");
    writeHistory(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        VLHistoryManager history;
        history.init();
        auto names = history.sortedByDateNames();
        benchmark::DoNotOptimize(names.data());
    }
}
BENCHMARK(BM_HistoryLoadAndSort)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_HistorySave(benchmark::State& state) {
    ScratchHome::init("Bench");
    writeHistory(static_cast<int>(state.range(0)));
    VLHistoryManager history;
    history.init();
    for (auto _ : state) {
        benchmark::DoNotOptimize(history.save());
    }
}
BENCHMARK(BM_HistorySave)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_SettingsLoad(benchmark::State& state) {
    ScratchHome::init("Bench");
    writeFullSettings();
    for (auto _ : state) {
        auto settings = std::make_unique<VLSettingsManager>();
        benchmark::DoNotOptimize(settings->windowOpacity());
        // The store saves when it goes away; keep that out of the load figure.
        state.PauseTiming();
        settings.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SettingsLoad)->Unit(benchmark::kMicrosecond);

void BM_SettingsSave(benchmark::State& state) {
    ScratchHome::init("Bench");
    writeFullSettings();
    VLSettingsManager settings;
    for (auto _ : state) {
        benchmark::DoNotOptimize(settings.saveSettings());
    }
}
BENCHMARK(BM_SettingsSave)->Unit(benchmark::kMicrosecond);
}  // namespace

BENCHMARK_MAIN();
