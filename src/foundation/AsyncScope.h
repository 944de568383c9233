#pragma once

#include <gio/gio.h>

#include <functional>
#include <string_view>
#include <utility>

#include "foundation/GObjectPtr.h"
#include "foundation/LifeToken.h"

// The asynchronous GIO and WebKit calls an object starts: they share its cancellable, which its
// destruction cancels, and their completions run only while the object lives. An owner keeps one
// as a member, declared last so it goes first; process-wide services keep one for the process.
//
//   auto [callback, data] = async_.callback([this](GObject* source, GAsyncResult* result) {...});
//   webkit_web_view_get_snapshot(view, ..., async_.cancellable(), callback, data);
class AsyncScope {
  public:
    using Done = std::function<void(GObject* source, GAsyncResult* result)>;

    AsyncScope();
    ~AsyncScope();
    AsyncScope(const AsyncScope&) = delete;
    AsyncScope& operator=(const AsyncScope&) = delete;

    GCancellable* cancellable() const { return cancellable_.get(); }
    // The callback and its data for one call. `done` runs on the main loop when the call ends,
    // unless the scope is gone by then; it reads the call's result and error.
    [[nodiscard]] std::pair<GAsyncReadyCallback, gpointer> callback(Done done) const;

    // True when the call failed; every failure but the cancellation of the call is logged with
    // what was being done.
    static bool failed(const GError* error, std::string_view what);

  private:
    GObjectPtr<GCancellable> cancellable_;
    LifeToken life_;
};
