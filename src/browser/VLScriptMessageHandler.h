#pragma once

#include <webkit2/webkit2.h>

#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// The page bridge: the two page scripts every page gets and the two message channels pages post
// on ("notifications", "autoFill"). What a channel's messages do is registered by the subsystem
// that handles them; a message on a channel without a route is dropped.
class VLScriptMessageHandler {
  public:
    using Route = std::function<void(const nlohmann::json& body, WebKitWebView* webView)>;

    static VLScriptMessageHandler& sharedHandler();

    // Registers the channels on a page's user content manager and installs the page scripts
    // there, once: every document of the page gets them, whatever its address.
    void registerWithConfiguration(WebKitUserContentManager* manager);
    // Sets what a channel's messages do.
    void setRoute(const std::string& channel, Route route);

    struct Script {
        std::string name;
        std::string source;
        // Scripts of the app's own world run in every frame, out of the page's reach.
        bool appWorld = false;
    };
    // The bundle's "VLAPIHelper" and "WebViewSearchExt" scripts (type "js"), in that order, for
    // the main frame at document start, then "NavigationReports" and "VLAutoFill" in the app's
    // world, in every frame. A missing resource is logged and left out.
    static const std::vector<Script>& userScripts();

    // Delivers one message (the body as JSON) to its channel's route.
    void didReceiveScriptMessage(const std::string& channel, const nlohmann::json& body,
                                 WebKitWebView* webView);

    static constexpr const char* kNotificationsChannel = "notifications";
    static constexpr const char* kAutoFillChannel = "autoFill";
    // The app's own script world and its channel: what the user did just before a navigation.
    static constexpr const char* kAppWorld = "sitebox";
    static constexpr const char* kNavigationChannel = "siteboxNavigation";
    // Object data on a page's user content manager naming its web view.
    static constexpr const char* kWebViewKey = "sitebox-web-view";

  private:
    std::map<std::string, Route> routes_;
};
