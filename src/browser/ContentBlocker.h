#pragma once

#include "foundation/NoDestructor.h"

#include <webkit2/webkit2.h>

#include <functional>
#include <string>
#include <vector>

// The ad-blocking rule list "ContentBlockingRules": looked up in the engine's filter store (in
// the cache folder) and, when missing, compiled once from the bundle's rules.json. Requests made
// while the list is being prepared wait for the same result.
class ContentBlocker {
  public:
    static constexpr const char* kIdentifier = "ContentBlockingRules";

    static ContentBlocker& shared();

    // Calls `done` on the main loop with the compiled list, or with nullptr when it could be
    // neither found nor compiled (logged).
    void obtain(std::function<void(WebKitUserContentFilter*)> done);

  private:
    friend class NoDestructor<ContentBlocker>;
    ContentBlocker();
    void finish(WebKitUserContentFilter* filter);
    void compile();

    WebKitUserContentFilterStore* store_ = nullptr;
    WebKitUserContentFilter* filter_ = nullptr;
    bool working_ = false;
    std::vector<std::function<void(WebKitUserContentFilter*)>> waiting_;
};
