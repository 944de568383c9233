// Whitelist decisions and script lookups at realistic sizes, and the cost of a pattern made of
// many stars against a long URL (linear in URL length x number of pieces).
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "ScratchHome.h"
#include "rules/VLScriptsManager.h"
#include "rules/VLWhiteListManager.h"

namespace {
constexpr int kUrlCount = 100000;

// Hosts, paths and queries of the kind a site-specific browser sees; about half of them fall
// under one of the generated patterns.
std::vector<std::string> makeUrls(int count, int sites) {
    static const char* paths[] = {"/",
                                  "/inbox",
                                  "/mail/u/0/#inbox",
                                  "/path/to/article-2024.html",
                                  "/assets/app.min.js",
                                  "/guide/getting-started?lang=en",
                                  "/search?q=rules+and+patterns&page=2",
                                  "/api/v1/items/123456?fields=name,state"};
    static const char* hosts[] = {"www", "mail", "app", "docs", "static", "accounts"};
    static const char* tlds[] = {".com", ".org", ".net", ".io"};
    std::mt19937 random(42);
    std::vector<std::string> urls;
    urls.reserve(count);
    for (int i = 0; i < count; ++i) {
        const bool known = random() % 2 == 0;
        std::string site = (known ? "site" : "elsewhere") + std::to_string(random() % sites);
        urls.push_back(std::string(random() % 4 ? "https://" : "http://") + hosts[random() % 6] +
                       "." + site + tlds[random() % 4] + paths[random() % 8]);
    }
    return urls;
}

std::string sitePattern(int i) {
    const std::string site = "site" + std::to_string(i);
    switch (i % 5) {
        case 0:
            return "*." + site + ".com/*";
        case 1:
            return "https://www." + site + ".org/path/*";
        case 2:
            return "mail." + site + ".net/inbox*";
        case 3:
            return "*" + site + ".io*";
        default:
            return "https://*.static." + site + ".com/assets/*.js";
    }
}

void BM_WhitelistIsUrlAllow(benchmark::State& state) {
    ScratchHome::init("Bench");
    VLWhiteListManager list;
    list.setAllowAll(false);
    list.setAllowPatterns(true);
    list.setAllowSubdomains(state.range(0) != 0);
    for (int i = 0; i < 1000; ++i) {
        list.addPattern(sitePattern(i));
    }
    const std::vector<std::string> urls = makeUrls(kUrlCount, 1000);
    size_t next = 0;
    size_t allowed = 0;
    for (auto _ : state) {
        allowed += list.isUrlAllow(urls[next]);
        next = next + 1 == urls.size() ? 0 : next + 1;
    }
    state.counters["allowedShare"] =
        static_cast<double>(allowed) / static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WhitelistIsUrlAllow)
    ->ArgName("allowSubdomains")
    ->Arg(0)
    ->Arg(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

void BM_FindScriptFor(benchmark::State& state) {
    ScratchHome::init("Bench");
    VLScriptsManager store;
    for (int r = 0; r < 200; ++r) {
        const std::string rule = "Rule " + std::to_string(r);
        store.addRule(rule, 1);
        store.addScript("console.log(" + std::to_string(r) + ");", rule);
        for (int p = 0; p < 10; ++p) {
            store.addPattern(sitePattern(r * 10 + p), rule, 1);
        }
    }
    const std::vector<std::string> urls = makeUrls(kUrlCount, 2000);
    size_t next = 0;
    size_t found = 0;
    for (auto _ : state) {
        found += store.findScriptFor(urls[next]).has_value();
        next = next + 1 == urls.size() ? 0 : next + 1;
    }
    state.counters["foundShare"] =
        static_cast<double>(found) / static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FindScriptFor)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

// Every piece first occurs at the very end of the URL, so each one is a full scan: the worst
// case for the in-order search.
void manyStars(benchmark::State& state, size_t urlSize, int pieces, size_t pieceSize) {
    const std::string piece = std::string(pieceSize - 1, 'a') + "b";
    std::string url = "https://example.com/" + std::string(urlSize, 'a');
    url.replace(url.size() - piece.size(), piece.size(), piece);
    std::string pattern = "*";
    for (int i = 0; i < pieces; ++i) {
        pattern += piece + "*";
    }
    ScratchHome::init("Bench");
    VLWhiteListManager list;
    list.setAllowAll(false);
    list.setAllowPatterns(true);
    list.addPattern(pattern);
    for (auto _ : state) {
        if (!list.isUrlAllow(url)) {
            state.SkipWithError("the pattern should match");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(url.size()) * pieces);
}

void BM_ManyStarsByUrlLength(benchmark::State& state) {
    manyStars(state, static_cast<size_t>(state.range(0)), 64, 8);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ManyStarsByUrlLength)
    ->RangeMultiplier(2)
    ->Range(1 << 10, 64 << 10)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

void BM_ManyStarsByPieceCount(benchmark::State& state) {
    manyStars(state, 64 << 10, static_cast<int>(state.range(0)), 8);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ManyStarsByPieceCount)
    ->RangeMultiplier(4)
    ->Range(1, 1024)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// Pieces longer than 256 bytes take glibc's two-way path.
void BM_LongPiecesByUrlLength(benchmark::State& state) {
    manyStars(state, static_cast<size_t>(state.range(0)), 16, 300);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LongPiecesByUrlLength)
    ->RangeMultiplier(4)
    ->Range(1 << 10, 64 << 10)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);
}  // namespace

BENCHMARK_MAIN();
