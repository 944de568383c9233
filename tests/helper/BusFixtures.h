#pragma once

// What the helper's tests (and the shell client's) put on a private session bus: the bus
// itself, the built CorvaHelper, gnome-keyring, a stand-in shell and a notification server.
#include <gio/gio.h>
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "foundation/GObjectPtr.h"
#include "helper/VariantRef.h"

struct NoCopy {
    NoCopy() = default;
    NoCopy(const NoCopy&) = delete;
    NoCopy& operator=(const NoCopy&) = delete;
};

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

// A session bus of the test's own (GTestDBus) with the given service folders; it goes down,
// with every program it started, when the object is destroyed.
class PrivateBus : NoCopy {
  public:
    explicit PrivateBus(const std::vector<std::string>& serviceFolders = {});
    ~PrivateBus();

    std::string address() const;
    GObjectPtr<GDBusConnection> connect() const;
    // Process id of the owner of `name`, 0 when it has none.
    pid_t ownerPid(GDBusConnection* connection, const std::string& name) const;
    // Waits on the main loop until `name` has (or has no) owner.
    bool waitForOwner(GDBusConnection* connection, const std::string& name, bool owned) const;

  private:
    GObjectPtr<GTestDBus> bus_;
};

// A program started on the bus, its standard error kept in a file; sent SIGTERM (and killed if
// it does not end) when the object goes away.
class BusProcess : NoCopy {
  public:
    BusProcess(const PrivateBus& bus, const std::vector<std::string>& argv,
               const std::optional<std::string>& input = std::nullopt);
    ~BusProcess();
    // Everything it has logged so far, and the number of lines holding `text`.
    std::string log() const;
    int countLines(const std::string& text) const;

  private:
    GObjectPtr<GSubprocess> process_;
    std::string logPath_;
};

// The built CorvaHelper, started by the test (rather than by the bus) and owning its name.
class HelperProcess : public BusProcess {
  public:
    static std::string builtHelperPath();
    explicit HelperProcess(const PrivateBus& bus);
};

// gnome-keyring-daemon serving the Secret Service, its login keyring unlocked and its files in
// the test's HOME.
class KeyringDaemon : public BusProcess {
  public:
    explicit KeyringDaemon(const PrivateBus& bus);
    // Locks the default keyring (no prompt is needed to lock). False when it did not work.
    bool lockDefaultKeyring();

  private:
    GObjectPtr<GDBusConnection> connection_;
};

// A connection that plays the shell towards a running helper: it serves CorvaInterfaceProtocol
// and records each notificationAction:identifier: it receives.
class ShellStub : NoCopy {
  public:
    struct Action {
        std::optional<std::string> action;
        std::string identifier;
        std::string activationToken;
        bool operator==(const Action& other) const = default;
    };

    explicit ShellStub(const PrivateBus& bus);
    ~ShellStub();

    GDBusConnection* connection() const { return connection_.get(); }
    const std::vector<Action>& actions() const { return actions_; }
    bool waitForActions(std::size_t count);

  private:
    GObjectPtr<GDBusConnection> connection_;
    guint registration_ = 0;
    std::vector<Action> actions_;
};

// A notification server (org.freedesktop.Notifications) of the test's own: it records Notify
// and CloseNotification calls and emits ActionInvoked and NotificationClosed on request, to the
// connection that posted the notification.
class FakeNotificationServer : NoCopy {
  public:
    struct Notification {
        std::uint32_t id = 0;
        std::string sender, appName, summary, body;
        std::vector<std::string> actions;  // key, label, key, label, ...
    };

    explicit FakeNotificationServer(const PrivateBus& bus, bool bodyMarkup = false);
    ~FakeNotificationServer();

    const std::vector<Notification>& notifications() const { return notifications_; }
    const std::vector<std::uint32_t>& closeRequests() const { return closeRequests_; }
    bool waitForNotifications(std::size_t count);
    // As if the user clicked the button `action` ("default" for the body), the server handing
    // the activation token first when one is given.
    void invokeAction(std::uint32_t id, const std::string& action,
                      const std::string& activationToken = "");
    // 1 expired, 2 dismissed by the user, 3 closed by a call.
    void close(std::uint32_t id, std::uint32_t reason);

  private:
    static void methodCall(GDBusConnection*, const gchar* sender, const gchar*, const gchar*,
                           const gchar* method, GVariant* parameters,
                           GDBusMethodInvocation* invocation, gpointer data);
    void emit(std::uint32_t id, const char* signal, GVariant* parameters);

    GObjectPtr<GDBusConnection> connection_;
    guint registration_ = 0;
    bool bodyMarkup_ = false;
    std::vector<Notification> notifications_;
    std::vector<std::uint32_t> closeRequests_;
};
