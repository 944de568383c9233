#include "downloads/ShowInFileManager.h"

#include <gio/gio.h>

#include "browser/Workspace.h"
#include "foundation/AsyncScope.h"
#include "foundation/GObjectPtr.h"
#include "foundation/Log.h"
#include "foundation/NoDestructor.h"

namespace {
AsyncScope& scope() {
    static NoDestructor<AsyncScope> async;
    return *async;
}

void openFolder(const std::string& path) {
    GCharPtr folder(g_path_get_dirname(path.c_str()));
    GCharPtr uri(g_filename_to_uri(folder.get(), nullptr, nullptr));
    if (uri) {
        Workspace::shared().openUrl(uri.get(), false, nullptr);
    }
}
}  // namespace

void ShowInFileManager::show(const std::string& path) {
    GCharPtr uri(g_filename_to_uri(path.c_str(), nullptr, nullptr));
    if (!uri) {
        Log::warningLine("cannot show a download whose path is not a file name");
        return;
    }
    GErrorPtr error;
    auto bus = GObjectPtr<GDBusConnection>::adopt(
        g_bus_get_sync(G_BUS_TYPE_SESSION, scope().cancellable(), error.out()));
    if (!bus) {
        AsyncScope::failed(error.get(), "reaching the session bus for the file manager");
        openFolder(path);
        return;
    }
    const char* uris[] = {uri.get(), nullptr};
    auto [callback, data] = scope().callback([path](GObject* source, GAsyncResult* result) {
        GErrorPtr error;
        GVariant* reply =
            g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, error.out());
        if (reply) {
            g_variant_unref(reply);
            return;
        }
        if (!g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
            Log::warning("no file manager showed the download (", error.message(),
                         "): opening its folder");
            openFolder(path);
        }
    });
    g_dbus_connection_call(bus.get(), "org.freedesktop.FileManager1",
                           "/org/freedesktop/FileManager1", "org.freedesktop.FileManager1",
                           "ShowItems", g_variant_new("(^ass)", uris, ""), nullptr,
                           G_DBUS_CALL_FLAGS_NONE, -1, scope().cancellable(), callback, data);
}
