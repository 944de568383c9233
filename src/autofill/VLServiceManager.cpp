#include "autofill/VLServiceManager.h"

#include <gio/gio.h>

#include "autofill/HelperCallFailure.h"
#include "autofill/HelperServiceFile.h"
#include "foundation/Bundle.h"
#include "foundation/GObjectPtr.h"
#include "foundation/Log.h"
#include "foundation/MainThread.h"
#include "foundation/NoDestructor.h"
#include "helper/CorvaInterfaces.h"
#include "helper/RecordCoding.h"
#include "helper/WireValue.h"

struct VLServiceManager::Connection {
    VLServiceManager* manager = nullptr;
    GObjectPtr<GDBusConnection> bus;
    GObjectPtr<GCancellable> cancellable;
    guint registration = 0;
    guint watch = 0;
    bool invalidated = false;
    // The running helper has answered at least once since it started.
    bool answered = false;
    std::string helperOwner;
};

namespace {
using Connection = VLServiceManager::Connection;
using WeakConnection = std::weak_ptr<Connection>;

VLServiceManager::ActivationHandler& activationHandler() {
    static NoDestructor<VLServiceManager::ActivationHandler> handler;
    return *handler;
}

void invalidate(Connection& connection, const std::string& why) {
    if (connection.invalidated) {
        return;
    }
    connection.invalidated = true;
    Log::warningLine("connection cannot be established");
    Log::warning("(", why, ")");
}

struct PendingCall {
    WeakConnection connection;
    std::string method;
    std::function<void(GVariant*)> onReply;
};

void callFinished(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<PendingCall> call(static_cast<PendingCall*>(data));
    GErrorPtr error;
    VariantRef reply = VariantRef::adopt(
        g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, error.out()));
    std::shared_ptr<Connection> connection = call->connection.lock();
    if (!connection || connection->invalidated) {
        return;
    }
    if (reply) {
        connection->answered = true;
        call->onReply(reply.get());
        return;
    }
    switch (classifyHelperCallFailure(error.get())) {
        case HelperCallFailure::cancelled:
            break;
        case HelperCallFailure::unreachable:
            invalidate(*connection, call->method + ": " + error.message());
            break;
        case HelperCallFailure::interrupted:
            // The name watch reports the helper's exit; the request itself is lost.
            Log::warning("the helper did not answer ", call->method, ": ", error.message());
            break;
        case HelperCallFailure::refused:
            Log::warning("the helper refused ", call->method, ": ", error.message());
            break;
    }
}

void call(const std::shared_ptr<Connection>& connection, const char* method,
          const VariantRef& parameters, const char* replyType,
          std::function<void(GVariant*)> onReply) {
    if (!connection || connection->invalidated) {
        return;
    }
    auto* pending = new PendingCall{connection, method, std::move(onReply)};  // owned by the call
    g_dbus_connection_call(
        connection->bus.get(), CorvaInterfaces::kBusName, CorvaInterfaces::kHelperObjectPath,
        CorvaInterfaces::kHelperInterface, method, parameters.get(), G_VARIANT_TYPE(replyType),
        G_DBUS_CALL_FLAGS_NONE, -1, connection->cancellable.get(), &callFinished, pending);
}

VariantRef tuple(std::initializer_list<VariantRef> values) {
    std::vector<GVariant*> fields;
    for (const VariantRef& value : values) {
        fields.push_back(value.get());
    }
    return VariantRef::adopt(g_variant_new_tuple(fields.data(), fields.size()));
}

VariantRef firstChild(GVariant* reply) {
    return VariantRef::adopt(g_variant_get_child_value(reply, 0));
}

void serveInterface(GDBusConnection*, const gchar* sender, const gchar*, const gchar*, const gchar*,
                    GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data) {
    std::shared_ptr<Connection> connection = static_cast<WeakConnection*>(data)->lock();
    if (!connection || !connection->manager) {
        g_dbus_method_invocation_return_value(invocation, nullptr);
        return;
    }
    // Only the running helper may bring the application forward.
    if (connection->helperOwner.empty() || connection->helperOwner != (sender ? sender : "")) {
        Log::warning("notificationAction from ", sender ? sender : "?",
                     " ignored: it does not come from the helper");
        g_dbus_method_invocation_return_dbus_error(
            invocation, "org.freedesktop.DBus.Error.AccessDenied", "only the helper may call");
        return;
    }
    VariantRef action = VariantRef::adopt(g_variant_get_child_value(parameters, 0));
    VariantRef identifier = VariantRef::adopt(g_variant_get_child_value(parameters, 1));
    VariantRef token = VariantRef::adopt(g_variant_get_child_value(parameters, 2));
    g_dbus_method_invocation_return_value(invocation, nullptr);
    connection->manager->notificationAction(
        WireValue::decodeOptionalString(action.get(), "notificationAction action"),
        WireValue::decodeString(identifier.get(), "notificationAction identifier")
            .value_or(std::string()),
        WireValue::decodeString(token.get(), "notificationAction token").value_or(std::string()));
}

void helperAppeared(GDBusConnection*, const gchar*, const gchar* owner, gpointer data) {
    if (std::shared_ptr<Connection> connection = static_cast<WeakConnection*>(data)->lock()) {
        connection->helperOwner = owner ? owner : "";
    }
}

void helperVanished(GDBusConnection*, const gchar*, gpointer data) {
    std::shared_ptr<Connection> connection = static_cast<WeakConnection*>(data)->lock();
    if (!connection) {
        return;
    }
    connection->helperOwner.clear();
    if (connection->answered && !connection->invalidated) {
        Log::warningLine("connection used to work but suddenly terminated");
    }
    connection->answered = false;
}

void freeWeakConnection(gpointer data) {
    delete static_cast<WeakConnection*>(data);
}

// dbus-daemon looks for a service file it does not know when a name is asked for, but some
// buses (dbus-broker) read their service folders only when they start or reload.
void reloadBusConfiguration(GDBusConnection* bus) {
    GErrorPtr error;
    VariantRef reply = VariantRef::adopt(g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "ReloadConfig", nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, error.out()));
    if (!reply) {
        Log::warning("the session bus did not reload its service files: ", error.message());
    }
}
}  // namespace

VLServiceManager& VLServiceManager::sharedManager() {
    static NoDestructor<VLServiceManager> manager;
    return *manager;
}

void VLServiceManager::setActivationHandler(ActivationHandler handler) {
    activationHandler() = std::move(handler);
}

VLServiceManager::VLServiceManager() {
    connect();
}

VLServiceManager::~VLServiceManager() {
    disconnect();
}

bool VLServiceManager::isConnected() const {
    return connectionToService_ && !connectionToService_->invalidated;
}

void VLServiceManager::connect() {
    if (connectionToService_) {
        return;
    }
    auto connection = std::make_shared<Connection>();
    connection->manager = this;
    connection->cancellable = GObjectPtr<GCancellable>::adopt(g_cancellable_new());
    connectionToService_ = connection;

    HelperServiceFile::Result file =
        HelperServiceFile::install(Bundle::main().executableFolder() + "/CorvaHelper");

    GErrorPtr error;
    GCharPtr address(g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, error.out()));
    if (address) {
        connection->bus = GObjectPtr<GDBusConnection>::adopt(g_dbus_connection_new_for_address_sync(
            address.get(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, error.out()));
    }
    if (!connection->bus) {
        invalidate(*connection, std::string("no session bus: ") + error.message());
        return;
    }
    if (file == HelperServiceFile::Result::written) {
        reloadBusConfiguration(connection->bus.get());
    }

    static const GDBusInterfaceVTable vtable = {&serveInterface, nullptr, nullptr, {}};
    connection->registration = g_dbus_connection_register_object(
        connection->bus.get(), CorvaInterfaces::kInterfaceObjectPath,
        CorvaInterfaces::interfaceProtocol(), &vtable, new WeakConnection(connection),
        &freeWeakConnection, error.out());
    if (!connection->registration) {
        Log::warning("cannot serve ", CorvaInterfaces::kInterfaceObjectPath, ": ", error.message());
    }
    connection->watch = g_bus_watch_name_on_connection(
        connection->bus.get(), CorvaInterfaces::kBusName, G_BUS_NAME_WATCHER_FLAGS_NONE,
        &helperAppeared, &helperVanished, new WeakConnection(connection), &freeWeakConnection);
}

void VLServiceManager::disconnect() {
    std::shared_ptr<Connection> connection = std::move(connectionToService_);
    if (!connection) {
        return;
    }
    connection->manager = nullptr;
    g_cancellable_cancel(connection->cancellable.get());
    if (connection->watch) {
        g_bus_unwatch_name(connection->watch);
    }
    if (connection->bus) {
        if (connection->registration) {
            g_dbus_connection_unregister_object(connection->bus.get(), connection->registration);
        }
        g_dbus_connection_close(connection->bus.get(), nullptr, nullptr, nullptr);
    }
}

void VLServiceManager::postNotification(const VLNotificationInfo& info) {
    call(connectionToService_, "postNotification", tuple({RecordCoding::encode(info)}), "(b)",
         [](GVariant*) { Log::line("Notification posted"); });
}

void VLServiceManager::credentialsSavedFor(const std::optional<Url>& url, CredentialsReply reply) {
    call(connectionToService_, "credentialsSavedFor", tuple({WireValue::url(url)}), "(aa{sv})",
         [reply = std::move(reply)](GVariant* answer) {
             std::string refusal;
             auto credentials = RecordCoding::decodeArray<VLCredentials>(
                 firstChild(answer).get(), WireValue::kMaxCredentials, &refusal);
             if (!credentials) {
                 Log::warning("the helper's reply to credentialsSavedFor is refused: ", refusal);
                 return;
             }
             if (reply) {
                 reply(*credentials);
             }
         });
}

void VLServiceManager::passwordFor(const std::optional<std::string>& username,
                                   const std::optional<Url>& url, PasswordReply reply) {
    call(connectionToService_, "passwordFor",
         tuple({WireValue::string(username.value_or("")), WireValue::url(url)}), "((bs))",
         [reply = std::move(reply)](GVariant* answer) {
             if (reply) {
                 reply(WireValue::decodeOptionalString(firstChild(answer).get(),
                                                       "passwordFor reply"));
             }
         });
}

void VLServiceManager::updateCredentials(const std::optional<std::string>& newPassword,
                                         const std::optional<std::string>& username,
                                         const std::optional<Url>& url, SuccessReply reply) {
    call(connectionToService_, "updateCredentials",
         tuple({WireValue::string(newPassword.value_or("")),
                WireValue::string(username.value_or("")), WireValue::url(url)}),
         "(b)", [reply = std::move(reply)](GVariant* answer) {
             if (reply) {
                 reply(g_variant_get_boolean(firstChild(answer).get()));
             }
         });
}

void VLServiceManager::saveCredentials(const std::optional<std::string>& password,
                                       const std::optional<std::string>& username,
                                       const std::optional<Url>& url, SuccessReply reply) {
    call(connectionToService_, "saveCredentials",
         tuple({WireValue::string(password.value_or("")), WireValue::string(username.value_or("")),
                WireValue::url(url)}),
         "(b)", [reply = std::move(reply)](GVariant* answer) {
             if (reply) {
                 reply(g_variant_get_boolean(firstChild(answer).get()));
             }
         });
}

void VLServiceManager::notificationAction(const std::optional<std::string>&,
                                          const std::string& identifier,
                                          const std::string& activationToken) {
    MainThread::post([identifier, activationToken] {
        if (activationHandler()) {
            activationHandler()(identifier, activationToken);
        } else {
            Log::warningLine(
                "a notification was clicked, but no window can be brought forward yet");
        }
    });
}
