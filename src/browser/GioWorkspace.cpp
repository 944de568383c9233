#include "browser/GioWorkspace.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "foundation/GObjectPtr.h"
#include "foundation/Log.h"
#include "foundation/NoDestructor.h"

namespace {
std::unique_ptr<Workspace>& slot() {
    static NoDestructor<std::unique_ptr<Workspace>> workspace;
    return *workspace;
}

std::string schemeOf(const std::string& url) {
    GCharPtr scheme(g_uri_parse_scheme(url.c_str()));
    return scheme ? scheme.get() : std::string();
}
}  // namespace

Workspace& Workspace::shared() {
    if (!slot()) {
        slot() = std::make_unique<GioWorkspace>();
    }
    return *slot();
}

void Workspace::setShared(std::unique_ptr<Workspace> workspace) {
    slot() = std::move(workspace);
}

std::optional<Workspace::Application> GioWorkspace::applicationForUrl(const std::string& url) {
    const std::string scheme = schemeOf(url);
    if (scheme.empty()) {
        return std::nullopt;
    }
    auto info = GObjectPtr<GAppInfo>::adopt(g_app_info_get_default_for_uri_scheme(scheme.c_str()));
    if (!info) {
        return std::nullopt;
    }
    const char* id = g_app_info_get_id(info.get());
    const char* name = g_app_info_get_display_name(info.get());
    return Application{name ? name : "", id ? id : ""};
}

void GioWorkspace::openUrl(const std::string& url, bool inBackground,
                           std::function<void()> completed) {
    // The launch runs asynchronously so the window never waits on the other application.
    (void)inBackground;  // the desktop decides focus; the caller re-raises itself on completion
    auto [callback, data] =
        async_.callback([completed = std::move(completed)](GObject*, GAsyncResult* result) {
            GErrorPtr error;
            g_app_info_launch_default_for_uri_finish(result, error.out());
            AsyncScope::failed(error.get(), "opening a link in another application");
            if (completed) {
                completed();
            }
        });
    g_app_info_launch_default_for_uri_async(url.c_str(), nullptr, async_.cancellable(), callback,
                                            data);
}

void GioWorkspace::openUrlWith(const std::string& url, const Application& application) {
    auto info = GObjectPtr<GDesktopAppInfo>::adopt(g_desktop_app_info_new(application.id.c_str()));
    if (!info) {
        Log::warning("application ", application.id, " is gone; cannot open ", Log::address(url));
        return;
    }
    GList uris{const_cast<char*>(url.c_str()), nullptr, nullptr};
    GErrorPtr error;
    if (!g_app_info_launch_uris(G_APP_INFO(info.get()), &uris, nullptr, error.out())) {
        Log::warning("cannot open ", Log::address(url), ": ", error.message());
    }
}
