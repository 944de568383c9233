#pragma once

#include <gio/gio.h>
#include <sys/types.h>

#include <string>
#include <vector>

#include "foundation/GObjectPtr.h"

// A session bus of the test's own (GIO's GTestDBus) with the given service folders. While it
// is up, DBUS_SESSION_BUS_ADDRESS points at it; it goes down, with every program it started,
// when the object is destroyed.
class PrivateBus {
  public:
    explicit PrivateBus(const std::vector<std::string>& serviceFolders = {});
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    std::string address() const;
    // A new connection of this process to the bus.
    GObjectPtr<GDBusConnection> connect() const;
    // Process id of the owner of `name`, 0 when it has none.
    pid_t ownerPid(GDBusConnection* connection, const std::string& name) const;
    // Waits on the main loop until `name` has (or has no) owner.
    bool waitForOwner(GDBusConnection* connection, const std::string& name, bool owned,
                      int timeoutMs = 10000) const;

  private:
    GTestDBus* bus_ = nullptr;
};
