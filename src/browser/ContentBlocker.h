#pragma once

#include <webkit2/webkit2.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/AsyncScope.h"
#include "foundation/NoDestructor.h"

// The ad-blocking lists of the bundle (rules.json, rules-2.json, ...), each kept compiled in the
// engine's filter store (in the cache folder) as "ContentBlockingRules-<hash of its content>":
// only a start after a list changed compiles it; later starts just load it. The hashes come from
// rules-version.json when the build wrote them there, else the lists are read and hashed on a
// worker thread; the engine compiles off the main loop. Requests made meanwhile wait for the
// same result.
class ContentBlocker {
  public:
    static constexpr const char* kIdentifier = "ContentBlockingRules";
    // Posted when compiling() changes.
    static constexpr const char* kCompilingNotification = "ContentBlockerCompilingChanged";

    using Filters = std::vector<WebKitUserContentFilter*>;

    static ContentBlocker& shared();

    // Calls `done` on the main loop with the lists (none when they could be neither found nor
    // compiled; logged).
    void obtain(std::function<void(const Filters&)> done);
    // Takes every list of ours off a page.
    void removeFrom(WebKitUserContentManager* manager) const;
    // True while a list is compiled (the first start with it).
    bool compiling() const { return compiling_; }

  private:
    friend class NoDestructor<ContentBlocker>;
    struct FilterUnref {
        void operator()(WebKitUserContentFilter* filter) const {
            webkit_user_content_filter_unref(filter);
        }
    };
    using FilterPtr = std::unique_ptr<WebKitUserContentFilter, FilterUnref>;
    struct Source {
        std::string path;
        std::string identifier;
        std::shared_ptr<GBytes> data;  // read when needed
    };

    ContentBlocker();
    static std::vector<Source> listedSources(const std::string& folder);
    static std::vector<Source> hashedSources(const std::string& folder);
    void readSources();
    void next();
    void compile(Source& source);
    void added(WebKitUserContentFilter* filter);
    void finish();
    void setCompiling(bool compiling);
    void removeStale();

    WebKitUserContentFilterStore* store_ = nullptr;
    std::vector<Source> sources_;
    std::vector<FilterPtr> filters_;
    size_t failed_ = 0;
    bool ready_ = false;
    bool working_ = false;
    bool compiling_ = false;
    std::vector<std::function<void(const Filters&)>> waiting_;
    AsyncScope async_;
};
