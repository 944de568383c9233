#pragma once

#include "foundation/NoDestructor.h"

#include <webkit2/webkit2.h>

#include <optional>
#include <string>

#include "foundation/AsyncScope.h"
#include "foundation/GObjectPtr.h"

// The web engine every page shares: one website data manager (data under the settings folder,
// cache under $XDG_CACHE_HOME/<bundle identifier>), one web context with its web-process
// sandbox, persistent cookies whose accept policy follows the settings, and favicons.
class VLWebEngine {
  public:
    static VLWebEngine& shared();

    WebKitWebContext* context() const { return context_.get(); }
    WebKitWebsiteDataManager* dataManager() const { return dataManager_.get(); }
    WebKitCookieManager* cookieManager() const;

    const std::string& cacheFolder() const { return cacheFolder_; }
    const std::string& dataFolder() const { return dataFolder_; }

    // 0 always, 1 never, 2 no third-party cookies.
    void setCookieAcceptPolicy(unsigned long policy);
    // Empties the web cache (disk and memory) of every page; failures are logged.
    void clearCache();
    // Empties it when the pages in it were fetched with another user agent than this one (the
    // choice is remembered across launches); the same agent again keeps it.
    void clearCacheForUserAgent(const std::string& agent);
    // While held, agents are only noted; the release decides on the last one. A launch applies
    // the stored choice and then perhaps a configured agent: neither alone is what pages keep.
    void holdCacheClearing();
    void releaseCacheClearing();
    // Opens the record of which icon each visited page had. WebKit opens (on a first launch,
    // creates) it synchronously: this waits until the first page has been asked for, as that
    // request starts the web process, which then loads meanwhile. Later calls do nothing.
    void openPageIcons();
    // Forgets which icon each visited page had (a record of the pages visited).
    void clearPageIcons();

  private:
    friend class NoDestructor<VLWebEngine>;
    VLWebEngine();

    std::string cacheFolder_;
    std::string dataFolder_;
    GObjectPtr<WebKitWebsiteDataManager> dataManager_;
    GObjectPtr<WebKitWebContext> context_;
    bool pageIconsOpen_ = false;
    bool cacheClearingHeld_ = false;
    std::optional<std::string> heldAgent_;
    AsyncScope async_;
};
