#include "browser/VLScriptMessageHandler.h"

#include "foundation/Bundle.h"
#include "foundation/Files.h"
#include "foundation/GObjectPtr.h"
#include "foundation/JsonFile.h"
#include "foundation/Log.h"
#include "foundation/NoDestructor.h"

namespace {
// Page messages are small; anything bigger is a hostile page.
constexpr size_t kMaxMessageBytes = 1 << 20;

void onMessage(WebKitUserContentManager* manager, WebKitJavascriptResult* result, gpointer data) {
    const char* channel = static_cast<const char*>(data);
    JSCValue* value = webkit_javascript_result_get_js_value(result);
    GCharPtr json(value ? jsc_value_to_json(value, 0) : nullptr);
    if (!json) {
        Log::warning("page message on \"", channel, "\" is not JSON; dropped");
        return;
    }
    const std::string text(json.get());
    if (text.size() > kMaxMessageBytes) {
        Log::warning("page message on \"", channel, "\" is too large; dropped");
        return;
    }
    std::string error;
    nlohmann::json body = JsonFile::parse(text, &error, 32);
    if (!error.empty()) {
        Log::warning("page message on \"", channel, "\" dropped: ", error);
        return;
    }
    // Every page has a content manager of its own, which knows its page.
    auto* webView = static_cast<WebKitWebView*>(
        g_object_get_data(G_OBJECT(manager), VLScriptMessageHandler::kWebViewKey));
    VLScriptMessageHandler::sharedHandler().didReceiveScriptMessage(channel, body, webView);
}
}  // namespace

VLScriptMessageHandler& VLScriptMessageHandler::sharedHandler() {
    static NoDestructor<VLScriptMessageHandler> handler;
    return *handler;
}

void VLScriptMessageHandler::registerWithConfiguration(WebKitUserContentManager* manager) {
    struct Channel {
        const char* name;
        const char* world;
    };
    // Only the notification shim posts from the page's world; what the app's own scripts report
    // comes from a world the page cannot reach, so a page cannot forge it.
    static const Channel channels[] = {{kNotificationsChannel, nullptr},
                                       {kAutoFillChannel, kAppWorld},
                                       {kNavigationChannel, kAppWorld}};
    for (const Channel& channel : channels) {
        const std::string signal = std::string("script-message-received::") + channel.name;
        g_signal_connect(manager, signal.c_str(), G_CALLBACK(onMessage),
                         const_cast<char*>(channel.name));
        const bool registered =
            channel.world ? webkit_user_content_manager_register_script_message_handler_in_world(
                                manager, channel.name, channel.world)
                          : webkit_user_content_manager_register_script_message_handler(
                                manager, channel.name);
        if (!registered) {
            Log::warning("page channel \"", channel.name, "\" was already registered");
        }
    }
    for (const Script& script : userScripts()) {
        WebKitUserScript* user =
            script.appWorld
                ? webkit_user_script_new_for_world(
                      script.source.c_str(), WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                      WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, kAppWorld, nullptr, nullptr)
                : webkit_user_script_new(
                      script.source.c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                      WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
        webkit_user_content_manager_add_script(manager, user);
        webkit_user_script_unref(user);
    }
}

void VLScriptMessageHandler::setRoute(const std::string& channel, Route route) {
    routes_[channel] = std::move(route);
}

void VLScriptMessageHandler::didReceiveScriptMessage(const std::string& channel,
                                                     const nlohmann::json& body,
                                                     WebKitWebView* webView) {
    auto it = routes_.find(channel);
    if (it != routes_.end() && it->second) {
        it->second(body, webView);
    }
}

const std::vector<VLScriptMessageHandler::Script>& VLScriptMessageHandler::userScripts() {
    static NoDestructor<std::vector<Script>> scripts([] {
        std::vector<Script> list;
        const std::pair<const char*, bool> names[] = {{"VLAPIHelper", false},
                                                      {"WebViewSearchExt", false},
                                                      {"NavigationReports", true},
                                                      {"VLAutoFill", true}};
        for (const auto& [name, appWorld] : names) {
            auto path = Bundle::main().pathForResource(name, "js");
            Files::ReadResult file = path ? Files::read(*path) : Files::ReadResult{{}, "missing"};
            if (!file.ok()) {
                Log::warning("page script ", name, ".js not loaded: ", file.error);
                continue;
            }
            list.push_back({name, file.data, appWorld});
        }
        return list;
    }());
    return *scripts;
}
