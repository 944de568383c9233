// Makes the bundle's ad-blocking lists from filter lists (EasyList, EasyPrivacy): rules.json,
// rules-2.json, ... in the engine's content-blocker format, and rules-version.json telling which
// lists they came from. Without filter lists it installs the fallback list instead.
//   make_content_rules OUTPUT_DIR FALLBACK_JSON [--source TEXT] [LIST.txt ...]
#include <glib.h>
#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "filterlists/FilterListConverter.h"
#include "filterlists/FilterListHeader.h"
#include "foundation/Files.h"
#include "foundation/GObjectPtr.h"

namespace {
std::string modificationDate(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return {};
    }
    std::tm utc{};
    gmtime_r(&info.st_mtime, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d", &utc);
    return text;
}

bool write(const std::string& path, const std::string& data) {
    const std::string error = Files::writeAtomically(path, data, Files::kSharedFile);
    if (!error.empty()) {
        std::cerr << "make_content_rules: " << path << ": " << error << "\n";
    }
    return error.empty();
}

// Lists left from an earlier build with more of them would be installed too.
void removeListsFrom(const std::string& folder, size_t first) {
    for (size_t i = first;; ++i) {
        std::error_code error;
        if (!std::filesystem::remove(folder + "/" + FilterListConverter::fileName(i), error)) {
            return;
        }
    }
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: make_content_rules OUTPUT_DIR FALLBACK_JSON [--source TEXT] "
                     "[LIST.txt ...]\n";
        return 2;
    }
    const std::string folder = argv[1];
    const std::string fallback = argv[2];
    std::string source;
    std::vector<std::string> inputs;
    for (int i = 3; i < argc; ++i) {
        if (std::string(argv[i]) == "--source" && i + 1 < argc) {
            source = argv[++i];
        } else {
            inputs.push_back(argv[i]);
        }
    }
    Files::createDirectories(folder);
    nlohmann::json version = {{"lists", nlohmann::json::array()}};
    if (!source.empty()) {
        version["source"] = source;
    }
    std::vector<std::string> outputs;
    if (inputs.empty()) {
        Files::ReadResult rules = Files::read(fallback);
        if (!rules.ok()) {
            std::cerr << "make_content_rules: " << fallback << ": " << rules.error << "\n";
            return 1;
        }
        outputs.push_back(std::move(rules.data));
        version["lists"].push_back({{"title", "Sitebox short list"}});
    }
    for (const std::string& input : inputs) {
        Files::ReadResult text = Files::read(input);
        if (!text.ok()) {
            std::cerr << "make_content_rules: " << input << ": " << text.error << "\n";
            return 1;
        }
        FilterListHeader header = FilterListHeader::read(text.data);
        if (header.lastModified.empty()) {
            header.lastModified = modificationDate(input);
        }
        FilterListConverter converter;
        converter.add(text.data);
        std::vector<nlohmann::json> lists;
        try {
            lists = converter.lists();
        } catch (const std::length_error& error) {
            std::cerr << "make_content_rules: " << input << ": " << error.what() << "\n";
            return 1;
        }
        const auto& report = converter.report();
        size_t skipped = 0;
        for (const auto& [reason, count] : report.skipped) {
            skipped += count;
        }
        nlohmann::json entry = header.toJson();
        entry["file"] = std::filesystem::path(input).filename().string();
        entry["filters"] = report.filters;
        entry["rules"] = report.emitted;
        version["lists"].push_back(entry);
        std::cout << "-- " << (header.title.empty() ? input : header.title) << ": "
                  << report.filters << " filters, " << report.converted << " converted, " << skipped
                  << " skipped, " << report.emitted << " rules in " << lists.size()
                  << (lists.size() == 1 ? " list\n" : " lists\n");
        for (const nlohmann::json& list : lists) {
            outputs.push_back(list.dump());
        }
    }
    // The shell names each compiled list by this hash without reading the list itself.
    version["files"] = nlohmann::json::array();
    for (size_t i = 0; i < outputs.size(); ++i) {
        const std::string name = FilterListConverter::fileName(i);
        if (!write(folder + "/" + name, outputs[i])) {
            return 1;
        }
        GCharPtr hash(g_compute_checksum_for_data(
            G_CHECKSUM_SHA256, reinterpret_cast<const guchar*>(outputs[i].data()),
            outputs[i].size()));
        version["files"].push_back({{"name", name}, {"sha256", hash.get()}});
    }
    removeListsFrom(folder, outputs.size());
    return write(folder + "/rules-version.json", version.dump(1) + "\n") ? 0 : 1;
}
