#pragma once

#include <gio/gio.h>

#include <optional>
#include <string>
#include <vector>

#include "foundation/GObjectPtr.h"

class PrivateBus;

// A connection that plays the shell towards a running helper: it serves
// CorvaInterfaceProtocol and records each notificationAction:identifier: it receives.
class ShellStub {
  public:
    struct Action {
        std::optional<std::string> action;
        std::string identifier;
        bool operator==(const Action& other) const = default;
    };

    explicit ShellStub(const PrivateBus& bus);
    ~ShellStub();
    ShellStub(const ShellStub&) = delete;
    ShellStub& operator=(const ShellStub&) = delete;

    GDBusConnection* connection() const { return connection_.get(); }
    const std::vector<Action>& actions() const { return actions_; }
    bool waitForActions(std::size_t count);

  private:
    GObjectPtr<GDBusConnection> connection_;
    guint registration_ = 0;
    std::vector<Action> actions_;
};
