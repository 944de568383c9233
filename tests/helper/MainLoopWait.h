#pragma once

#include <gio/gio.h>

#include <functional>
#include <optional>
#include <string>

#include "helper/VariantRef.h"

// Runs the default main context until `condition` holds or `timeoutMs` passes; true when it
// held. Never sleeps: it wakes on events and on the deadline.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
// Runs every event that is ready now, without waiting.
void drainMainContext();

// A D-Bus call made asynchronously and awaited on the main loop, so this process keeps serving
// its own objects (a fake server, the shell stub) meanwhile.
struct CallResult {
    VariantRef reply;
    std::string errorName;  // D-Bus error name, or the GError message when it has none
    std::string errorMessage;
    bool ok() const { return static_cast<bool>(reply); }
};
CallResult callAndWait(GDBusConnection* connection, const char* busName, const char* path,
                       const char* interface, const char* method, GVariant* parameters,
                       int timeoutMs = 20000);
