// Ad blocking with the lists the build made from EasyList and EasyPrivacy: conversion figures
// per list (filters, converted, skipped by reason, emitted), the first compile, the share of ad
// and tracker addresses taken from the lists that a real web view blocks (through the local
// server acting as proxy, from first-party pages) and of ordinary first-party resources, and a
// start with the compiled list against a start with ad blocking off (separate processes).
// Run under a display: xvfb-run -a ad_block_bench
#include <gtkmm/main.h>
#include <gtkmm/window.h>

#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <regex>
#include <set>
#include <sstream>

#include "LocalHttpServer.h"
#include "MainLoopWait.h"
#include "ScratchHome.h"
#include "browser/ContentBlocker.h"
#include "browser/VLWebEngine.h"
#include "browser/VLWebViewController.h"
#include "browser/VLWebViewControllerDelegate.h"
#include "filterlists/FilterListConverter.h"
#include "foundation/Bundle.h"
#include "foundation/Files.h"
#include "stores/VLSettingsManager.h"

namespace {
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Finished : VLWebViewControllerDelegate {
    int count = 0;
    void didEndLoadUrl(VLWebViewController&, const std::string&) override { ++count; }
};

struct Probe {
    std::string pageHost;  // the first-party page that asks for it
    std::string url;
    std::string kind;  // img, script, css, frame
};

std::string hostOf(const std::string& url) {
    const size_t start = url.find("://") + 3;
    return url.substr(start, url.find('/', start) - start);
}

std::string pathOf(const std::string& url) {
    const size_t start = url.find('/', url.find("://") + 3);
    return url.substr(start, url.find('?') - start);
}

std::string element(const Probe& probe) {
    if (probe.kind == "script") {
        return "<script async src='" + probe.url + "'></script>";
    }
    if (probe.kind == "css") {
        return "<link rel=stylesheet href='" + probe.url + "'>";
    }
    if (probe.kind == "media") {
        return "<video preload=auto src='" + probe.url + "'></video>";
    }
    if (probe.kind == "frame") {
        return "<iframe src='" + probe.url + "'></iframe>";
    }
    return "<img src='" + probe.url + "'>";
}

// Addresses the lists mean to block: whole hosts (some third-party only) and filters limited to
// sites with $domain, each asked for from a page of such a site.
std::vector<Probe> adProbes(const std::vector<std::string>& texts) {
    static const std::regex host(R"(^\|\|([a-z0-9.-]+\.[a-z]+)\^(\$third-party)?$)");
    static const std::regex scoped(
        R"(^(\|\|[a-z0-9.-]+\.[a-z]+)?(/[A-Za-z0-9_./*^=?&-]*)\$([a-z,-]*)domain=([a-z0-9.-]+)[|a-z0-9.~-]*$)");
    std::vector<Probe> hosts;
    std::vector<Probe> limited;
    for (const std::string& text : texts) {
        std::istringstream lines(text);
        std::string line;
        while (std::getline(lines, line)) {
            std::smatch m;
            if (std::regex_match(line, m, host)) {
                hosts.push_back({"www.firstparty.test", "http://" + m[1].str() + "/ad.gif", "img"});
            } else if (std::regex_match(line, m, scoped) &&
                       m[3].str().find("~") == std::string::npos &&
                       m[3].str().find("xmlhttprequest") == std::string::npos &&
                       m[3].str().find("popup") == std::string::npos) {
                std::string path = m[2].str();
                std::replace(path.begin(), path.end(), '*', 'x');
                std::replace(path.begin(), path.end(), '^', '/');
                const std::string server =
                    m[1].matched ? m[1].str().substr(2) : std::string("cdn.adserver.test");
                const std::string options = m[3].str();
                std::string kind = "img";
                for (const auto& [option, tag] : {std::pair{"script", "script"},
                                                  {"subdocument", "frame"},
                                                  {"stylesheet", "css"},
                                                  {"media", "media"}}) {
                    if (options.find(option) != std::string::npos) {
                        kind = tag;
                    }
                }
                limited.push_back({m[4].str(), "http://" + server + path, kind});
            }
        }
    }
    // An even spread over each kind.
    auto sample = [](const std::vector<Probe>& all, size_t count) {
        std::vector<Probe> picked;
        const size_t step = std::max<size_t>(1, all.size() / count);
        for (size_t i = 0; i < all.size() && picked.size() < count; i += step) {
            picked.push_back(all[i]);
        }
        return picked;
    };
    std::vector<Probe> probes = sample(hosts, 450);
    for (Probe& p : sample(limited, 200)) {
        probes.push_back(std::move(p));
    }
    return probes;
}

std::vector<Probe> firstPartyProbes() {
    std::vector<Probe> probes;
    const std::string site = "http://www.firstparty.test";
    for (int i = 0; i < 20; ++i) {
        const std::string n = std::to_string(i);
        probes.push_back({"www.firstparty.test", site + "/images/photo-" + n + ".jpg", "img"});
        probes.push_back({"www.firstparty.test", site + "/static/js/app-" + n + ".js", "script"});
        probes.push_back({"www.firstparty.test", site + "/static/css/style-" + n + ".css", "css"});
    }
    for (const char* path : {"/news/article.html", "/about/team.html", "/shop/cart.html"}) {
        probes.push_back({"www.firstparty.test", site + path, "frame"});
    }
    probes.push_back({"www.firstparty.test", site + "/favicon.png", "img"});
    probes.push_back({"www.firstparty.test", site + "/media/logo.svg", "img"});
    return probes;
}

// Probes grouped by page host, at most 50 per page; returns how many were never requested.
// Names the probes that went the unexpected way.
size_t countBlocked(LocalHttpServer& server, const std::vector<Probe>& probes, int& page,
                    bool expectBlocked) {
    const size_t first = server.requests().size();
    Finished delegate;
    VLWebViewController controller;
    controller.setDelegate(&delegate);
    Gtk::Window window;
    window.add(controller.webview().widget());
    window.show_all();
    std::map<std::string, std::vector<Probe>> byHost;
    for (const Probe& probe : probes) {
        byHost[probe.pageHost].push_back(probe);
    }
    for (const auto& [host, all] : byHost) {
        for (size_t start = 0; start < all.size(); start += 50) {
            std::string body = "<!doctype html><title>Page</title><p>Article text.</p>";
            for (size_t i = start; i < std::min(all.size(), start + 50); ++i) {
                body += element(all[i]);
            }
            const std::string path = "/bench-page-" + std::to_string(page++);
            server.serve(path, body, "text/html");
            const int before = delegate.count;
            controller.loadRequest("http://" + host + path);
            waitUntil([&] { return delegate.count > before; }, 30000);
            size_t seen = server.requests().size();
            waitUntil(
                [&] {
                    const bool quiet = server.requests().size() == seen;
                    seen = server.requests().size();
                    return quiet;
                },
                200);
            waitUntil([] { return false; }, 300);
        }
    }
    std::set<std::pair<std::string, std::string>> requested;
    for (size_t i = first; i < server.requests().size(); ++i) {
        requested.insert({server.requests()[i].host, server.requests()[i].path});
    }
    size_t blocked = 0;
    for (const Probe& probe : probes) {
        const bool seen = requested.count({hostOf(probe.url), pathOf(probe.url)}) > 0;
        blocked += !seen;
        if (seen == expectBlocked) {
            std::printf("  %s: %s on %s\n", seen ? "loaded" : "blocked", probe.url.c_str(),
                        probe.pageHost.c_str());
        }
    }
    return blocked;
}

// A start in a process of its own: the first page loaded, then exit.
int runStart(const std::string& home, bool blockAds) {
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home + "/cache").c_str(), 1);
    Bundle::setMainBundlePath(home + "/AdBlockBench.app");
    int argc = 1;
    char name[] = "ad_block_bench";
    char* args[] = {name, nullptr};
    char** argv = args;
    Gtk::Main kit(argc, argv);
    LocalHttpServer server;
    server.serve("/home.html", "<!doctype html><title>Home</title><p>Home page.</p>", "text/html");
    VLSettingsManager::sharedManager().setBlockAds(blockAds);
    Finished delegate;
    VLWebViewController controller(server.url("/home.html"));
    controller.setDelegate(&delegate);
    Gtk::Window window;
    window.add(controller.webview().widget());
    window.show_all();
    const bool loaded = waitUntil([&] { return delegate.count > 0; }, 60000);
    std::fflush(stdout);
    _exit(loaded ? 0 : 1);
}

double timedStart(const std::string& self, bool blockAds) {
    const auto start = Clock::now();
    const std::string command = "'" + self + "' --start '" + ScratchHome::path() + "' " +
                                (blockAds ? "on" : "off") + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        std::cerr << "a start failed\n";
    }
    return secondsSince(start);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
}  // namespace

int main(int argc, char** argv) {
    setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", 0);
    if (argc == 4 && std::string(argv[1]) == "--start") {
        return runStart(argv[2], std::string(argv[3]) == "on");
    }
    const std::string listDir = argc > 1 ? argv[1] : SITEBOX_FILTER_LIST_DIR;
    Gtk::Main kit(argc, argv);
    ScratchHome::init("AdBlockBench");

    // Conversion.
    std::vector<std::string> texts;
    for (const char* name : {"easylist.txt", "easyprivacy.txt"}) {
        Files::ReadResult text = Files::read(listDir + "/" + name);
        if (!text.ok()) {
            std::cerr << listDir << "/" << name << ": " << text.error << "\n";
            return 1;
        }
        const auto start = Clock::now();
        FilterListConverter converter;
        converter.add(text.data);
        auto lists = converter.lists();
        const double took = secondsSince(start);
        const auto& report = converter.report();
        std::printf("%s: %zu filters, %zu converted, %zu rules emitted in %zu list(s), %.2f s\n",
                    name, report.filters, report.converted, report.emitted, lists.size(), took);
        for (const auto& [reason, count] : report.skipped) {
            std::printf("  skipped %-26s %zu\n", reason.c_str(), count);
        }
        texts.push_back(std::move(text.data));
    }
    // The lists as the build made them, with the hashes a start goes by.
    const std::string built = std::string(SITEBOX_BUNDLE_DIR) + "/Contents/Resources";
    for (const auto& entry : std::filesystem::directory_iterator(built)) {
        const std::string name = entry.path().filename();
        if (name.starts_with("rules")) {
            std::filesystem::copy_file(entry.path(), Bundle::main().resourcePath() + "/" + name);
        }
    }

    // The first compile, into an empty store.
    auto start = Clock::now();
    bool compiled = false;
    size_t lists = 0;
    ContentBlocker::shared().obtain([&](const ContentBlocker::Filters& filters) {
        lists = filters.size();
        compiled = true;
    });
    waitUntil([&] { return compiled; }, 600000);
    std::printf("first compile: %zu lists in %.2f s\n", lists, secondsSince(start));

    // Starts: the compiled lists loaded, against ad blocking off (alternating, medians).
    std::vector<double> on;
    std::vector<double> off;
    const std::string self = std::filesystem::canonical("/proc/self/exe");
    timedStart(self, false);  // warm-up
    for (int i = 0; i < 11; ++i) {
        off.push_back(timedStart(self, false));
        on.push_back(timedStart(self, true));
    }
    std::printf(
        "start to first page: blocking off %.3f s, on with compiled lists %.3f s, "
        "ratio %.2f\n",
        median(off), median(on), median(on) / median(off));

    // Blocking in a real web view, every host reaching the local server as proxy.
    LocalHttpServer server;
    const std::string proxy = "http://127.0.0.1:" + std::to_string(server.port());
    WebKitNetworkProxySettings* settings =
        webkit_network_proxy_settings_new(proxy.c_str(), nullptr);
    webkit_website_data_manager_set_network_proxy_settings(
        VLWebEngine::shared().dataManager(), WEBKIT_NETWORK_PROXY_MODE_CUSTOM, settings);
    webkit_network_proxy_settings_free(settings);
    VLSettingsManager::sharedManager().setBlockAds(true);
    VLSettingsManager::sharedManager().setEnableJavaScript(true);
    int page = 0;
    const std::vector<Probe> ads = adProbes(texts);
    const size_t adsBlocked = countBlocked(server, ads, page, true);
    std::printf("ad and tracker addresses blocked: %zu of %zu (%.1f %%)\n", adsBlocked, ads.size(),
                100.0 * adsBlocked / ads.size());
    const std::vector<Probe> site = firstPartyProbes();
    const size_t siteBlocked = countBlocked(server, site, page, false);
    std::printf("first-party resources blocked: %zu of %zu\n", siteBlocked, site.size());
    // The control: without ad blocking every probe reaches the server.
    VLSettingsManager::sharedManager().setBlockAds(false);
    const size_t missed = countBlocked(server, ads, page, false);
    std::printf("ad and tracker addresses not requested with ad blocking off: %zu of %zu\n", missed,
                ads.size());

    return 0;
}
