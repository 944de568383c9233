#pragma once

#include <gio/gio.h>

#include <functional>
#include <optional>
#include <string>

#include "helper/VariantRef.h"

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
