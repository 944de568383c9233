#include "browser/ContentBlocker.h"

#include "browser/VLWebEngine.h"
#include "foundation/Bundle.h"
#include "foundation/Files.h"
#include "foundation/GObjectPtr.h"
#include "foundation/Log.h"
#include "foundation/NoDestructor.h"

ContentBlocker& ContentBlocker::shared() {
    static NoDestructor<ContentBlocker> blocker;
    return *blocker;
}

ContentBlocker::ContentBlocker() {
    // Owned for the life of the process.
    const std::string path = VLWebEngine::shared().cacheFolder() + "/ContentFilters";
    store_ = webkit_user_content_filter_store_new(path.c_str());
}

void ContentBlocker::obtain(std::function<void(WebKitUserContentFilter*)> done) {
    if (filter_) {
        done(filter_);
        return;
    }
    waiting_.push_back(std::move(done));
    if (working_) {
        return;
    }
    working_ = true;
    webkit_user_content_filter_store_load(
        store_, kIdentifier, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            auto* self = static_cast<ContentBlocker*>(data);
            GErrorPtr error;
            WebKitUserContentFilter* filter = webkit_user_content_filter_store_load_finish(
                WEBKIT_USER_CONTENT_FILTER_STORE(source), result, error.out());
            if (filter) {
                self->finish(filter);
            } else {
                self->compile();
            }
        },
        this);
}

void ContentBlocker::compile() {
    auto path = Bundle::main().pathForResource("rules", "json");
    Files::ReadResult rules = path ? Files::read(*path) : Files::ReadResult{{}, "no rules.json"};
    if (!rules.ok()) {
        Log::print("content blocking rules unavailable: ", rules.error);
        finish(nullptr);
        return;
    }
    GBytes* source = g_bytes_new(rules.data.data(), rules.data.size());
    webkit_user_content_filter_store_save(
        store_, kIdentifier, source, nullptr,
        [](GObject* storeObject, GAsyncResult* result, gpointer data) {
            auto* self = static_cast<ContentBlocker*>(data);
            GErrorPtr error;
            WebKitUserContentFilter* filter = webkit_user_content_filter_store_save_finish(
                WEBKIT_USER_CONTENT_FILTER_STORE(storeObject), result, error.out());
            if (filter) {
                Log::line("compiled content blocking rules");
            } else {
                Log::print("cannot compile content blocking rules: ", error.message());
            }
            self->finish(filter);
        },
        this);
    g_bytes_unref(source);
}

void ContentBlocker::finish(WebKitUserContentFilter* filter) {
    // A failed compile is not cached: the next page tries again.
    filter_ = filter;
    working_ = false;
    auto waiting = std::move(waiting_);
    waiting_.clear();
    for (auto& done : waiting) {
        done(filter_);
    }
}
