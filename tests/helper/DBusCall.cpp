#include "DBusCall.h"

#include "MainLoopWait.h"

#include <memory>

#include "foundation/GObjectPtr.h"

CallResult callAndWait(GDBusConnection* connection, const char* busName, const char* path,
                       const char* interface, const char* method, GVariant* parameters,
                       int timeoutMs) {
    struct State {
        bool done = false;
        CallResult result;
    };
    auto state = std::make_shared<State>();
    g_dbus_connection_call(
        connection, busName, path, interface, method, parameters, nullptr, G_DBUS_CALL_FLAGS_NONE,
        timeoutMs, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<std::shared_ptr<State>> holder(
                static_cast<std::shared_ptr<State>*>(data));
            State& state = **holder;
            GErrorPtr error;
            state.result.reply = VariantRef::adopt(
                g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, error.out()));
            if (error) {
                GCharPtr remote(g_dbus_error_get_remote_error(error.get()));
                state.result.errorName = remote ? remote.get() : error.message();
                g_dbus_error_strip_remote_error(error.get());
                state.result.errorMessage = error.message();
            }
            state.done = true;
        },
        new std::shared_ptr<State>(state));
    waitUntil([&] { return state->done; }, timeoutMs + 5000);
    if (!state->done) {
        state->result.errorName = "timed out in the test";
    }
    return state->result;
}
