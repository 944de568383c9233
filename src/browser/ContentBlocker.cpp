#include "browser/ContentBlocker.h"

#include <chrono>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "browser/VLWebEngine.h"
#include "filterlists/FilterListConverter.h"
#include "foundation/Bundle.h"
#include "foundation/Files.h"
#include "foundation/GObjectPtr.h"
#include "foundation/Log.h"
#include "foundation/MainThread.h"
#include "foundation/NoDestructor.h"
#include "foundation/NotificationCenter.h"
#include "foundation/StartupTimeline.h"

ContentBlocker& ContentBlocker::shared() {
    static NoDestructor<ContentBlocker> blocker;
    return *blocker;
}

ContentBlocker::ContentBlocker() {
    // Owned for the life of the process.
    const std::string path = VLWebEngine::shared().cacheFolder() + "/ContentFilters";
    store_ = webkit_user_content_filter_store_new(path.c_str());
}

void ContentBlocker::obtain(std::function<void(const Filters&)> done) {
    if (ready_) {
        Filters filters;
        for (const FilterPtr& filter : filters_) {
            filters.push_back(filter.get());
        }
        done(filters);
        return;
    }
    waiting_.push_back(std::move(done));
    if (working_) {
        return;
    }
    working_ = true;
    StartupTimeline::mark("ad-blocking lists asked for");
    readSources();
}

namespace {
std::string identifierFor(const std::string& sha256) {
    return std::string(ContentBlocker::kIdentifier) + "-" + sha256.substr(0, 16);
}

std::shared_ptr<GBytes> bytesOf(const std::string& data) {
    return std::shared_ptr<GBytes>(g_bytes_new(data.data(), data.size()), g_bytes_unref);
}
}  // namespace

std::vector<ContentBlocker::Source> ContentBlocker::listedSources(const std::string& folder) {
    // The build names the lists and their hashes here, so a start need not read them.
    std::vector<Source> sources;
    Files::ReadResult manifest = Files::read(folder + "/rules-version.json");
    if (!manifest.ok()) {
        return sources;
    }
    const auto json = nlohmann::json::parse(manifest.data, nullptr, false);
    if (!json.is_object() || !json.contains("files") || !json["files"].is_array()) {
        return sources;
    }
    for (const auto& file : json["files"]) {
        const std::string name = file.value("name", "");
        const std::string hash = file.value("sha256", "");
        if (name.empty() || name.find('/') != std::string::npos || hash.size() < 16 ||
            !Files::exists(folder + "/" + name)) {
            return {};
        }
        sources.push_back({folder + "/" + name, identifierFor(hash), nullptr});
    }
    return sources;
}

std::vector<ContentBlocker::Source> ContentBlocker::hashedSources(const std::string& folder) {
    std::vector<Source> sources;
    for (size_t i = 0;; ++i) {
        const std::string path = folder + "/" + FilterListConverter::fileName(i);
        Files::ReadResult rules = Files::read(path);
        if (!rules.ok()) {
            if (i == 0) {
                Log::warning("content blocking rules unavailable: ", rules.error);
            }
            return sources;
        }
        GCharPtr hash(g_compute_checksum_for_data(
            G_CHECKSUM_SHA256, reinterpret_cast<const guchar*>(rules.data.data()),
            rules.data.size()));
        sources.push_back({path, identifierFor(hash.get()), bytesOf(rules.data)});
    }
}

void ContentBlocker::readSources() {
    const std::string folder = Bundle::main().resourcePath();
    // Lists without a manifest are read and hashed away from the main loop.
    std::thread([this, folder] {
        std::vector<Source> sources = listedSources(folder);
        if (sources.empty()) {
            sources = hashedSources(folder);
        }
        MainThread::post([this, sources = std::move(sources)]() mutable {
            sources_ = std::move(sources);
            filters_.clear();
            failed_ = 0;
            next();
        });
    }).detach();
}

void ContentBlocker::next() {
    const size_t index = filters_.size() + failed_;
    if (index == sources_.size()) {
        finish();
        return;
    }
    auto [callback, data] = async_.callback([this](GObject* source, GAsyncResult* result) {
        GErrorPtr error;
        WebKitUserContentFilter* filter = webkit_user_content_filter_store_load_finish(
            WEBKIT_USER_CONTENT_FILTER_STORE(source), result, error.out());
        if (filter) {
            added(filter);
        } else {
            // Not compiled yet (or the stored copy is unreadable): compile it.
            compile(sources_[filters_.size() + failed_]);
        }
    });
    webkit_user_content_filter_store_load(store_, sources_[index].identifier.c_str(),
                                          async_.cancellable(), callback, data);
}

void ContentBlocker::compile(Source& source) {
    setCompiling(true);
    if (!source.data) {
        Files::ReadResult rules = Files::read(source.path);
        if (!rules.ok()) {
            Log::warning("content blocking rules unavailable: ", rules.error);
            added(nullptr);
            return;
        }
        source.data = bytesOf(rules.data);
    }
    const std::string name = source.path.substr(source.path.rfind('/') + 1);
    const auto start = std::chrono::steady_clock::now();
    auto [callback, data] =
        async_.callback([this, name, start](GObject* store, GAsyncResult* result) {
            GErrorPtr error;
            WebKitUserContentFilter* filter = webkit_user_content_filter_store_save_finish(
                WEBKIT_USER_CONTENT_FILTER_STORE(store), result, error.out());
            if (filter) {
                const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - start);
                Log::print("compiled content blocking rules (", name, ", ", took.count(), " ms)");
            } else {
                Log::warning("cannot compile content blocking rules ", name, ": ", error.message());
            }
            added(filter);
        });
    webkit_user_content_filter_store_save(store_, source.identifier.c_str(), source.data.get(),
                                          async_.cancellable(), callback, data);
}

void ContentBlocker::added(WebKitUserContentFilter* filter) {
    if (filter) {
        filters_.emplace_back(filter);
    } else {
        ++failed_;
    }
    next();
}

void ContentBlocker::finish() {
    StartupTimeline::mark("ad-blocking lists ready");
    setCompiling(false);
    // A failed compile is not kept: the next page tries again.
    ready_ = failed_ == 0 && !sources_.empty();
    working_ = false;
    for (Source& source : sources_) {
        source.data.reset();
    }
    if (ready_) {
        removeStale();
    }
    Filters filters;
    for (const FilterPtr& filter : filters_) {
        filters.push_back(filter.get());
    }
    auto waiting = std::move(waiting_);
    waiting_.clear();
    for (auto& done : waiting) {
        done(filters);
    }
}

void ContentBlocker::setCompiling(bool compiling) {
    if (compiling_ == compiling) {
        return;
    }
    compiling_ = compiling;
    NotificationCenter::defaultCenter().post(kCompilingNotification);
}

void ContentBlocker::removeFrom(WebKitUserContentManager* manager) const {
    for (const Source& source : sources_) {
        webkit_user_content_manager_remove_filter_by_id(manager, source.identifier.c_str());
    }
}

void ContentBlocker::removeStale() {
    // Lists of earlier versions would stay in the cache folder for good.
    auto [callback, data] = async_.callback([this](GObject* store, GAsyncResult* result) {
        gchar** identifiers = webkit_user_content_filter_store_fetch_identifiers_finish(
            WEBKIT_USER_CONTENT_FILTER_STORE(store), result);
        std::set<std::string> current;
        for (const Source& source : sources_) {
            current.insert(source.identifier);
        }
        for (gchar** id = identifiers; id && *id; ++id) {
            const std::string identifier(*id);
            if (identifier.starts_with(kIdentifier) && !current.count(identifier)) {
                auto [removed, removedData] =
                    async_.callback([identifier](GObject* store, GAsyncResult* result) {
                        GErrorPtr error;
                        webkit_user_content_filter_store_remove_finish(
                            WEBKIT_USER_CONTENT_FILTER_STORE(store), result, error.out());
                        AsyncScope::failed(error.get(), "removing an old ad-blocking list");
                    });
                webkit_user_content_filter_store_remove(WEBKIT_USER_CONTENT_FILTER_STORE(store),
                                                        *id, async_.cancellable(), removed,
                                                        removedData);
            }
        }
        g_strfreev(identifiers);
    });
    webkit_user_content_filter_store_fetch_identifiers(store_, async_.cancellable(), callback,
                                                       data);
}
