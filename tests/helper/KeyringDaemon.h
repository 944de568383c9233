#pragma once

#include <gio/gio.h>

#include <string>

#include "foundation/GObjectPtr.h"

class PrivateBus;

// gnome-keyring-daemon serving the Secret Service on a private bus, started with its login
// keyring unlocked (the password on its standard input) and its files in the test's HOME.
// Stopped, and waited for, when the object goes away.
class KeyringDaemon {
  public:
    explicit KeyringDaemon(const PrivateBus& bus);
    ~KeyringDaemon();
    KeyringDaemon(const KeyringDaemon&) = delete;
    KeyringDaemon& operator=(const KeyringDaemon&) = delete;

    // Locks the default keyring (no prompt is needed to lock). False when it did not work.
    bool lockDefaultKeyring();
    // Object path of the default keyring; empty when there is none.
    std::string defaultKeyring();

  private:
    GObjectPtr<GSubprocess> process_;
    GObjectPtr<GDBusConnection> connection_;
};
