#include "browser/VLWebManager.h"

#include <gtkmm/window.h>

#include <gtk/gtk.h>

#include "browser/EngineDownloadOperation.h"
#include "browser/SavePanel.h"
#include "browser/UserAgents.h"
#include "browser/VLWebEngine.h"
#include "browser/VLWebView.h"
#include "downloads/DownloadCookieJar.h"
#include "downloads/VLDownloadOperation.h"
#include "downloads/VLDownloadQueue.h"
#include "foundation/Files.h"
#include "foundation/GObjectPtr.h"
#include "foundation/Log.h"
#include "foundation/MainThread.h"
#include "foundation/NoDestructor.h"
#include "foundation/NotificationCenter.h"
#include "foundation/NotificationNames.h"
#include "stores/VLSettingsManager.h"

namespace {
std::string engineVersion() {
    auto settings = GObjectPtr<WebKitSettings>::adopt(webkit_settings_new());
    const char* agent = webkit_settings_get_user_agent(settings.get());
    return UserAgents::engineVersionFromUserAgent(agent ? agent : "");
}

UserAgents::SystemVersion systemVersion() {
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        Files::ReadResult file = Files::read(path);
        if (file.ok()) {
            return UserAgents::systemVersionFromOsRelease(file.data);
        }
    }
    return {};
}
}  // namespace

VLWebManager& VLWebManager::sharedManager() {
    static NoDestructor<VLWebManager> manager;
    return *manager;
}

VLWebManager::VLWebManager() : downloadQueue_(std::make_unique<VLDownloadQueue>()) {
    downloadQueue_->setMaxConcurrentOperationCount(3);
    const UserAgents::SystemVersion system = systemVersion();
    const std::string engine = engineVersion();
    webkitVersion_ = UserAgents::webkitVersion(engine, system);
    userAgents_ = UserAgents::generate(engine, system);
}

const std::string& VLWebManager::userAgent(const std::string& key) const {
    auto it = userAgents_.find(key);
    return it != userAgents_.end() ? it->second : userAgents_.at(UserAgents::kDefaultKey);
}

namespace {
GtkWindow* windowOf(VLWebView* source) {
    Gtk::Window* window = source ? source->toplevelWindow() : nullptr;
    return window ? window->gobj() : nullptr;
}
}  // namespace

void VLWebManager::downloadFile(const std::string& fileName, const std::string& url,
                                VLWebView* source) {
    GtkWindow* parent = windowOf(source);
    // Servers see the download as coming from the page: same agent, same cookies.
    std::string userAgent;
    if (source) {
        const char* agent = webkit_settings_get_user_agent(source->settings());
        userAgent = agent ? agent : "";
    }
    const std::string folder = VLSettingsManager::sharedManager().pathToDownloadsFolder();
    SavePanel::shared().run(parent, folder, fileName,
                            [this, url, fileName, userAgent](std::optional<std::string> path) {
                                if (path) {
                                    queueDownload(*path, url, fileName, userAgent);
                                }
                            });
}

void VLWebManager::saveEngineDownload(WebKitDownload* download, const std::string& fileName,
                                      VLWebView* source) {
    auto kept = GObjectPtr<WebKitDownload>::retain(download);
    const std::string folder = VLSettingsManager::sharedManager().pathToDownloadsFolder();
    SavePanel::shared().run(
        windowOf(source), folder, fileName,
        [this, kept, fileName](std::optional<std::string> path) {
            if (!path) {
                webkit_download_cancel(kept.get());
                return;
            }
            GCharPtr uri(g_filename_to_uri(path->c_str(), nullptr, nullptr));
            if (!uri) {
                Log::warningLine("cannot save the download: the chosen path is not a file name");
                webkit_download_cancel(kept.get());
                return;
            }
            // The dialog asked about replacing an existing file already.
            webkit_download_set_allow_overwrite(kept.get(), TRUE);
            webkit_download_set_destination(kept.get(), uri.get());
            downloadQueue_->addDownloadOperation(
                std::make_shared<EngineDownloadOperation>(kept.get(), *path, fileName));
            NotificationCenter::defaultCenter().post(notification::downloadAdd);
        });
}

void VLWebManager::queueDownload(const std::string& path, const std::string& url,
                                 const std::string& fileName, const std::string& userAgent) {
    // The transfer carries the page's cookies: copy the engine's cookies for the address into
    // the download jar first.
    auto [callback, data] = async_.callback(
        [this, path, url, fileName, userAgent](GObject* source, GAsyncResult* result) {
            GErrorPtr error;
            GList* cookies = webkit_cookie_manager_get_cookies_finish(WEBKIT_COOKIE_MANAGER(source),
                                                                      result, error.out());
            AsyncScope::failed(error.get(), "reading the page's cookies for a download");
            for (GList* node = cookies; node; node = node->next) {
                DownloadCookieJar::add(static_cast<SoupCookie*>(node->data));
            }
            g_list_free_full(cookies, reinterpret_cast<GDestroyNotify>(soup_cookie_free));
            auto operation = std::make_shared<VLDownloadOperation>();
            operation->setPath(path);
            operation->setUrl(url);
            if (!userAgent.empty()) {
                operation->setRequest(DownloadRequest(url, "GET", {{"User-Agent", userAgent}}));
            }
            operation->setFileName(fileName);
            downloadQueue_->addDownloadOperation(operation);
            NotificationCenter::defaultCenter().post(notification::downloadAdd);
        });
    webkit_cookie_manager_get_cookies(VLWebEngine::shared().cookieManager(), url.c_str(),
                                      async_.cancellable(), callback, data);
}

void VLWebManager::storeCookies(const std::string& responseUrl, const std::string& pageUrl,
                                SoupMessageHeaders* headers) {
    std::vector<std::string> values;
    SoupMessageHeadersIter iter;
    soup_message_headers_iter_init(&iter, headers);
    const char* name = nullptr;
    const char* value = nullptr;
    while (soup_message_headers_iter_next(&iter, &name, &value)) {
        if (g_ascii_strcasecmp(name, "Set-Cookie") == 0 && value) {
            values.emplace_back(value);
        }
    }
    if (!values.empty()) {
        DownloadCookieJar::storeCookies(responseUrl, values, pageUrl);
    }
}
