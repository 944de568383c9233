#include "ShellStub.h"

#include "MainLoopWait.h"
#include "PrivateBus.h"
#include "helper/CorvaInterfaces.h"
#include "helper/WireValue.h"

ShellStub::ShellStub(const PrivateBus& bus) : connection_(bus.connect()) {
    static const GDBusInterfaceVTable vtable = {
        [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
           GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data) {
            auto* self = static_cast<ShellStub*>(data);
            VariantRef action = VariantRef::adopt(g_variant_get_child_value(parameters, 0));
            VariantRef identifier = VariantRef::adopt(g_variant_get_child_value(parameters, 1));
            self->actions_.push_back(
                {WireValue::decodeOptionalString(action.get(), "action"),
                 WireValue::decodeString(identifier.get(), "identifier").value_or("")});
            g_dbus_method_invocation_return_value(invocation, nullptr);
        },
        nullptr,
        nullptr,
        {}};
    registration_ = g_dbus_connection_register_object(
        connection_.get(), CorvaInterfaces::kInterfaceObjectPath,
        CorvaInterfaces::interfaceProtocol(), &vtable, this, nullptr, nullptr);
}

ShellStub::~ShellStub() {
    g_dbus_connection_unregister_object(connection_.get(), registration_);
    g_dbus_connection_close_sync(connection_.get(), nullptr, nullptr);
}

bool ShellStub::waitForActions(std::size_t count) {
    return waitUntil([&] { return actions_.size() >= count; });
}
