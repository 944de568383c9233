#include "helper/ServiceDelegate.h"

#include "foundation/Log.h"
#include "helper/CorvaHelper.h"
#include "helper/CorvaInterfaces.h"
#include "helper/RecordCoding.h"
#include "helper/WireValue.h"

namespace {
VariantRef child(GVariant* tuple, gsize index) {
    return VariantRef::adopt(g_variant_get_child_value(tuple, index));
}

void reply(GDBusMethodInvocation* invocation, const VariantRef& value) {
    GVariant* fields[] = {value.get()};
    g_dbus_method_invocation_return_value(invocation, g_variant_new_tuple(fields, 1));
}

void replyBool(GDBusMethodInvocation* invocation, bool value) {
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(b)", value));
}
}  // namespace

ServiceDelegate::ServiceDelegate(GDBusConnection* connection)
    : connection_(GObjectPtr<GDBusConnection>::retain(connection)) {}

ServiceDelegate::~ServiceDelegate() {
    for (auto& [sender, watch] : watches_) {
        g_bus_unwatch_name(watch->id);
    }
    if (registration_) {
        g_dbus_connection_unregister_object(connection_.get(), registration_);
    }
}

void ServiceDelegate::watchSender(const std::string& sender) {
    if (sender.empty() || watches_.count(sender)) {
        return;
    }
    auto watch = std::make_unique<SenderWatch>(SenderWatch{this, sender});
    watch->id = g_bus_watch_name_on_connection(
        connection_.get(), sender.c_str(), G_BUS_NAME_WATCHER_FLAGS_NONE, nullptr,
        &ServiceDelegate::senderVanished, watch.get(), nullptr);
    watches_.emplace(sender, std::move(watch));
}

void ServiceDelegate::senderVanished(GDBusConnection*, const gchar*, gpointer data) {
    auto* watch = static_cast<SenderWatch*>(data);
    ServiceDelegate* self = watch->owner;
    const std::string sender = watch->sender;
    g_bus_unwatch_name(watch->id);
    self->watches_.erase(sender);  // `watch` is gone from here on
    if (self->helper_) {
        self->helper_->senderVanished(sender);
    }
}

bool ServiceDelegate::exportHelper(CorvaHelper& helper) {
    helper_ = &helper;
    static const GDBusInterfaceVTable vtable = {&ServiceDelegate::methodCall, nullptr, nullptr, {}};
    GErrorPtr error;
    registration_ = g_dbus_connection_register_object(
        connection_.get(), CorvaInterfaces::kHelperObjectPath, CorvaInterfaces::helperProtocol(),
        &vtable, this, nullptr, error.out());
    if (!registration_) {
        Log::warning("CorvaHelper: cannot serve ", CorvaInterfaces::kHelperObjectPath, ": ",
                     error.message());
        return false;
    }
    return true;
}

void ServiceDelegate::methodCall(GDBusConnection*, const gchar* sender, const gchar*, const gchar*,
                                 const gchar* methodName, GVariant* parameters,
                                 GDBusMethodInvocation* invocation, gpointer data) {
    static_cast<ServiceDelegate*>(data)->handle(sender ? sender : "", methodName, parameters,
                                                invocation);
}

void ServiceDelegate::handle(const std::string& sender, const std::string& method,
                             GVariant* parameters, GDBusMethodInvocation* invocation) {
    if (method == "postNotification") {
        VariantRef argument = child(parameters, 0);
        std::string refusal;
        std::optional<VLNotificationInfo> info =
            RecordCoding::decode<VLNotificationInfo>(argument.get(), &refusal);
        if (!info) {
            Log::warning("postNotification refused: ", refusal);
            g_dbus_method_invocation_return_dbus_error(
                invocation, "org.freedesktop.DBus.Error.InvalidArgs", refusal.c_str());
            return;
        }
        replyBool(invocation, helper_->postNotification(*info, sender));
        watchSender(sender);
        return;
    }
    if (method == "credentialsSavedFor") {
        VariantRef url = child(parameters, 0);
        std::vector<VLCredentials> credentials = helper_->credentialsSavedFor(
            WireValue::decodeUrl(url.get(), "credentialsSavedFor url"));
        reply(invocation, RecordCoding::encodeArray(credentials));
        return;
    }
    if (method == "passwordFor") {
        VariantRef username = child(parameters, 0);
        VariantRef url = child(parameters, 1);
        std::optional<std::string> name =
            WireValue::decodeString(username.get(), "passwordFor username");
        std::optional<std::string> password;
        if (name) {
            password =
                helper_->passwordFor(*name, WireValue::decodeUrl(url.get(), "passwordFor url"));
        }
        reply(invocation, WireValue::optionalString(password));
        return;
    }
    if (method == "updateCredentials" || method == "saveCredentials") {
        VariantRef passwordValue = child(parameters, 0);
        VariantRef usernameValue = child(parameters, 1);
        VariantRef urlValue = child(parameters, 2);
        std::optional<std::string> password =
            WireValue::decodeString(passwordValue.get(), method + " password");
        std::optional<std::string> username =
            WireValue::decodeString(usernameValue.get(), method + " username");
        if (!password || !username) {
            replyBool(invocation, false);
            return;
        }
        std::optional<Url> url = WireValue::decodeUrl(urlValue.get(), method + " url");
        bool done = method == "saveCredentials"
                        ? helper_->saveCredentials(*password, *username, url)
                        : helper_->updateCredentials(*password, *username, url);
        replyBool(invocation, done);
        return;
    }
    g_dbus_method_invocation_return_dbus_error(
        invocation, "org.freedesktop.DBus.Error.UnknownMethod", method.c_str());
}

void ServiceDelegate::notificationAction(const std::string& sender,
                                         const std::optional<std::string>& actionIdentifier,
                                         const std::string& identifier,
                                         const std::string& activationToken) {
    VariantRef action = WireValue::optionalString(actionIdentifier);
    VariantRef notification = WireValue::string(identifier);
    VariantRef token = WireValue::string(activationToken);
    GVariant* fields[] = {action.get(), notification.get(), token.get()};
    auto [callback, data] = async_.callback([](GObject* source, GAsyncResult* result) {
        GErrorPtr error;
        VariantRef answer = VariantRef::adopt(
            g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, error.out()));
        AsyncScope::failed(error.get(), "notificationAction to the shell");
    });
    g_dbus_connection_call(connection_.get(), sender.c_str(), CorvaInterfaces::kInterfaceObjectPath,
                           CorvaInterfaces::kInterfaceInterface, "notificationAction",
                           g_variant_new_tuple(fields, 3), nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START,
                           -1, async_.cancellable(), callback, data);
}
