#include "browser/VLScriptManager.h"

#include <glibmm/main.h>

#include "autofill/VLServiceManager.h"
#include "browser/VLMainWindowController.h"
#include "browser/VLWebViewController.h"
#include "foundation/DefaultsKeys.h"
#include "foundation/GObjectPtr.h"
#include "foundation/Log.h"
#include "foundation/Url.h"
#include "foundation/UserDefaults.h"
#include "maintenance_ui/DockTile.h"

namespace {
// What a count script gave: a list of texts, a text, or nothing.
UnreadCounter::Result resultOf(const std::optional<nlohmann::json>& value) {
    if (!value) {
        return std::monostate{};
    }
    if (value->is_string()) {
        return value->get<std::string>();
    }
    if (value->is_number()) {
        return value->dump();
    }
    if (value->is_array()) {
        std::vector<std::string> rows;
        for (const nlohmann::json& row : *value) {
            rows.push_back(row.is_string() ? row.get<std::string>() : row.dump());
        }
        return rows;
    }
    return std::monostate{};
}

}  // namespace

VLScriptManager::VLScriptManager() = default;

VLScriptManager::~VLScriptManager() {
    timer_.disconnect();
}

void VLScriptManager::setup() {
    timer_.disconnect();
    timer_ = Glib::signal_timeout().connect_seconds(
        [this] {
            injectScripts();
            return true;
        },
        3);
}

VLWebViewController* VLScriptManager::currentWebViewController() {
    const auto& windows = VLMainWindowController::openControllers();
    return windows.empty() ? nullptr : windows.front()->tabController().selectedWebViewController();
}

void VLScriptManager::injectScripts() {
    if (VLWebViewController* page = currentWebViewController()) {
        injectScriptsForURL(page->webview().url());
    }
}

void VLScriptManager::injectScriptsForURL(const std::string& url) {
    const std::string host = Url::hostOf(url);
    if (!host.empty() && host == hosts_.mail) {
        runDockBadgeScript(kMailScript);
    } else if (hosts_.social.count(host)) {
        runDockBadgeScript(kSocialScript);
    } else if (UserDefaults::standard().boolForKey(defaults_key::titleBadge, true)) {
        // Any other site: the count many web apps put in their title, without announcements.
        VLWebViewController* page = currentWebViewController();
        const auto count = UnreadCounter::countInTitle(page->webview().title());
        if (count != page->dockLabel()) {
            DockTile::shared().setBadge(count);
            page->setDockLabel(count);
        }
    }
}

void VLScriptManager::runDockBadgeScript(const std::string& script) {
    VLWebViewController* page = currentWebViewController();
    page->webview().evaluate(script,
                             [this](std::optional<nlohmann::json> value, std::string error) {
                                 if (!error.empty()) {
                                     Log::warning("error:", error);
                                 }
                                 setDockBadgeValue(resultOf(value));
                             });
}

void VLScriptManager::setDockBadgeValue(const UnreadCounter::Result& result) {
    VLWebViewController* page = currentWebViewController();
    if (!page) {
        return;
    }
    UserDefaults& defaults = UserDefaults::standard();
    const UnreadCounter::Settings settings{
        defaults.boolForKey(defaults_key::userNotifications, true),
        defaults.boolForKey(defaults_key::dockBadge, true)};
    UnreadCounter::Outcome outcome = counter_.update(result, page->dockLabel(), settings);
    for (const std::string& text : outcome.announce) {
        postNotification(text);
    }
    if (outcome.changed) {
        DockTile::shared().setBadge(outcome.badge);
        page->setDockLabel(outcome.dockLabel);
    }
}

void VLScriptManager::postNotification(const std::string& text) {
    VLWebViewController* page = currentWebViewController();
    UnreadCounter::Notice notice =
        UnreadCounter::noticeFor(text, page ? Url::hostOf(page->webview().url()) : std::string());
    VLNotificationInfo info;
    info.setTitle(notice.title);
    info.setSubTitle(notice.subtitle);
    info.setMessage(notice.text);
    GCharPtr uuid(g_uuid_string_random());
    info.setIdentifier(std::string(uuid.get()));
    VLServiceManager::sharedManager().postNotification(info);
}
