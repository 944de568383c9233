#pragma once

#include <gio/gio.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "foundation/AsyncScope.h"
#include "foundation/GObjectPtr.h"

class CorvaHelper;

// The helper's side of the bus: serves CorvaHelperProtocol at the helper's object path,
// decodes each request (GDBus has already refused arguments of the wrong D-Bus signature),
// hands it to CorvaHelper and sends exactly one reply; and calls the shell back.
class ServiceDelegate {
  public:
    explicit ServiceDelegate(GDBusConnection* connection);
    ~ServiceDelegate();
    ServiceDelegate(const ServiceDelegate&) = delete;
    ServiceDelegate& operator=(const ServiceDelegate&) = delete;

    // False (logged) when the object cannot be registered.
    bool exportHelper(CorvaHelper& helper);

    // notificationAction:identifier: on the shell connection `sender`; a shell that has gone
    // away is logged and the call dropped.
    void notificationAction(const std::string& sender,
                            const std::optional<std::string>& actionIdentifier,
                            const std::string& identifier, const std::string& activationToken);

  private:
    static void methodCall(GDBusConnection* connection, const gchar* sender,
                           const gchar* objectPath, const gchar* interfaceName,
                           const gchar* methodName, GVariant* parameters,
                           GDBusMethodInvocation* invocation, gpointer data);
    void handle(const std::string& sender, const std::string& method, GVariant* parameters,
                GDBusMethodInvocation* invocation);

    // Notifications of a shell are kept only while it is on the bus.
    void watchSender(const std::string& sender);
    struct SenderWatch {
        ServiceDelegate* owner;
        std::string sender;
        guint id = 0;
    };
    static void senderVanished(GDBusConnection*, const gchar*, gpointer data);

    GObjectPtr<GDBusConnection> connection_;
    CorvaHelper* helper_ = nullptr;
    std::map<std::string, std::unique_ptr<SenderWatch>> watches_;
    guint registration_ = 0;
    AsyncScope async_;
};
