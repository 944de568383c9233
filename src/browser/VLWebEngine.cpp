#include "browser/VLWebEngine.h"

#include <cstdlib>
#include <utility>

#include "browser/EngineDownloads.h"
#include "downloads/DownloadCookieJar.h"
#include "foundation/Bundle.h"
#include "foundation/DefaultsKeys.h"
#include "foundation/Files.h"
#include "foundation/Log.h"
#include "foundation/NoDestructor.h"
#include "foundation/Paths.h"
#include "foundation/StartupTimeline.h"
#include "foundation/UserDefaults.h"
#include "stores/VLFileManager.h"
#include "stores/VLSettingsManager.h"

VLWebEngine& VLWebEngine::shared() {
    static NoDestructor<VLWebEngine> engine;
    return *engine;
}

VLWebEngine::VLWebEngine()
    : cacheFolder_(
          Paths::join(Paths::cacheHome(), Paths::folderName(Bundle::main().bundleIdentifier()))),
      dataFolder_(VLFileManager::getSettingsPath() + "WebKit") {
    StartupTimeline::mark("web engine starts");
    for (const std::string& folder : {cacheFolder_, dataFolder_}) {
        // Cookies, storage and cache are the user's alone.
        if (std::string error = Files::createDirectories(folder, 0700); !error.empty()) {
            Log::warning("web engine: ", error);
        }
    }
    dataManager_ = GObjectPtr<WebKitWebsiteDataManager>::adopt(
        webkit_website_data_manager_new("base-data-directory", dataFolder_.c_str(),
                                        "base-cache-directory", cacheFolder_.c_str(), nullptr));
    // Naming the cookie store starts the network process: it loads and sets up on the other
    // core while this thread brings up the engine's GL display (in the web context), rather
    // than afterwards, when it would share the cores with the starting web process.
    const std::string cookies = dataFolder_ + "/cookies.sqlite";
    webkit_cookie_manager_set_persistent_storage(cookieManager(), cookies.c_str(),
                                                 WEBKIT_COOKIE_PERSISTENT_STORAGE_SQLITE);
    // The app's pages share a web process (see VLWebView), which outlives the tabs it served:
    // above about 200 MB it drops caches and collects what closed pages left (about 5 MB a
    // page otherwise), above 512 MB harder. Nothing is ever killed (no kill threshold).
    WebKitMemoryPressureSettings* pressure = webkit_memory_pressure_settings_new();
    webkit_memory_pressure_settings_set_memory_limit(pressure, 1024);
    webkit_memory_pressure_settings_set_strict_threshold(pressure, 0.5);
    webkit_memory_pressure_settings_set_conservative_threshold(pressure, 0.2);
    webkit_memory_pressure_settings_set_poll_interval(pressure, 5);
    context_ = GObjectPtr<WebKitWebContext>::adopt(WEBKIT_WEB_CONTEXT(
        g_object_new(WEBKIT_TYPE_WEB_CONTEXT, "website-data-manager", dataManager_.get(),
                     "memory-pressure-settings", pressure, nullptr)));
    webkit_memory_pressure_settings_free(pressure);
    // The sandbox is the web content's main security boundary. Containers that cannot start it
    // set WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS, which WebKit itself honours.
    webkit_web_context_set_sandbox_enabled(context_.get(), TRUE);
    // One site's pages: the disk cache stays (revisits load from it), the in-memory caches and
    // the back/forward cache are those of a document browser rather than a whole-web browser's.
    webkit_web_context_set_cache_model(context_.get(), WEBKIT_CACHE_MODEL_DOCUMENT_BROWSER);
    EngineDownloads::install(context_.get());

    VLSettingsManager::sharedManager().setCookiePolicyHandler([this](unsigned long policy) {
        setCookieAcceptPolicy(policy);
        DownloadCookieJar::setAcceptPolicy(policy);
    });
    StartupTimeline::mark("web engine ready");
}

WebKitCookieManager* VLWebEngine::cookieManager() const {
    return webkit_website_data_manager_get_cookie_manager(dataManager_.get());
}

void VLWebEngine::setCookieAcceptPolicy(unsigned long policy) {
    WebKitCookieAcceptPolicy accept;
    switch (policy) {
        case 1:
            accept = WEBKIT_COOKIE_POLICY_ACCEPT_NEVER;
            break;
        case 2:
            accept = WEBKIT_COOKIE_POLICY_ACCEPT_NO_THIRD_PARTY;
            break;
        default:
            accept = WEBKIT_COOKIE_POLICY_ACCEPT_ALWAYS;
    }
    webkit_cookie_manager_set_accept_policy(cookieManager(), accept);
}

void VLWebEngine::clearCacheForUserAgent(const std::string& agent) {
    if (cacheClearingHeld_) {
        heldAgent_ = agent;
        return;
    }
    // Every launch applies the stored choice again: clearing then would refetch every page,
    // image and script on each start (and in the middle of the first page's load).
    UserDefaults& defaults = UserDefaults::standard();
    const std::optional<std::string> cachedWith =
        defaults.stringForKey(defaults_key::cacheUserAgent);
    if (cachedWith == agent) {
        return;
    }
    defaults.setString(defaults_key::cacheUserAgent, agent);
    // Without a record the cache was filled by a build that emptied it at every launch, that
    // is with the agent applied now.
    if (cachedWith) {
        Log::line("user agent changed: web cache cleared");
        clearCache();
    }
}

void VLWebEngine::holdCacheClearing() {
    cacheClearingHeld_ = true;
}

void VLWebEngine::releaseCacheClearing() {
    cacheClearingHeld_ = false;
    if (std::optional<std::string> agent = std::exchange(heldAgent_, std::nullopt)) {
        clearCacheForUserAgent(*agent);
    }
}

void VLWebEngine::openPageIcons() {
    if (std::exchange(pageIconsOpen_, true)) {
        return;
    }
    // Which icon each visited page had tells where the user went: the icons stay in the app's
    // own cache (which a purge removes), not in the engine's folder that every app would share.
    webkit_web_context_set_favicon_database_directory(
        context_.get(), Paths::join(cacheFolder_, "icondatabase").c_str());
}

void VLWebEngine::clearPageIcons() {
    openPageIcons();
    if (WebKitFaviconDatabase* icons = webkit_web_context_get_favicon_database(context_.get())) {
        webkit_favicon_database_clear(icons);
    }
}

void VLWebEngine::clearCache() {
    auto [callback, data] = async_.callback([](GObject* source, GAsyncResult* result) {
        GErrorPtr error;
        webkit_website_data_manager_clear_finish(WEBKIT_WEBSITE_DATA_MANAGER(source), result,
                                                 error.out());
        AsyncScope::failed(error.get(), "clearing the web cache");
    });
    webkit_website_data_manager_clear(
        dataManager_.get(),
        static_cast<WebKitWebsiteDataTypes>(WEBKIT_WEBSITE_DATA_DISK_CACHE |
                                            WEBKIT_WEBSITE_DATA_MEMORY_CACHE),
        0, async_.cancellable(), callback, data);
}
