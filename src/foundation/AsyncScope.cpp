#include "foundation/AsyncScope.h"

#include <memory>

#include "foundation/Log.h"

namespace {
struct Pending {
    std::weak_ptr<void> alive;
    AsyncScope::Done done;
};

void finished(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
    if (!pending->alive.expired() && pending->done) {
        pending->done(source, result);
    }
}
}  // namespace

AsyncScope::AsyncScope() : cancellable_(GObjectPtr<GCancellable>::adopt(g_cancellable_new())) {}

AsyncScope::~AsyncScope() {
    g_cancellable_cancel(cancellable_.get());
}

std::pair<GAsyncReadyCallback, gpointer> AsyncScope::callback(Done done) const {
    return {finished, new Pending{life_.watch(), std::move(done)}};  // freed when it finishes
}

bool AsyncScope::failed(const GError* error, std::string_view what) {
    if (!error) {
        return false;
    }
    if (!g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
        Log::warning(what, " failed: ", error->message);
    }
    return true;
}
