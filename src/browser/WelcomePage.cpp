#include "browser/WelcomePage.h"

#include <sys/random.h>
#include <webkit2/webkit2.h>

#include "browser/VLWebEngine.h"
#include "foundation/Bundle.h"
#include "foundation/Files.h"
#include "foundation/GObjectPtr.h"
#include "foundation/Log.h"
#include "foundation/NoDestructor.h"
#include "foundation/NotificationCenter.h"
#include "foundation/NotificationNames.h"
#include "foundation/TypedAddress.h"
#include "rules/SiteWhitelist.h"
#include "rules/VLWhiteListManager.h"
#include "stores/VLFileManager.h"
#include "stores/VLSettingsManager.h"

namespace {
// Text for an HTML page: GLib's markup escaping covers & < > " and '.
std::string escapeHtml(const std::string& text) {
    // It wants valid UTF-8.
    GCharPtr valid(g_utf8_make_valid(text.c_str(), static_cast<gssize>(text.size())));
    GCharPtr out(g_markup_escape_text(valid.get(), -1));
    return out.get();
}

void answer(WebKitURISchemeRequest* request, const std::string& html) {
    GBytes* bytes = g_bytes_new(html.data(), html.size());
    GInputStream* stream = g_memory_input_stream_new_from_bytes(bytes);
    webkit_uri_scheme_request_finish(request, stream, static_cast<gint64>(html.size()),
                                     "text/html");
    g_object_unref(stream);
    g_bytes_unref(bytes);
}

void replaceAll(std::string& text, const std::string& marker, const std::string& value) {
    for (auto at = text.find(marker); at != std::string::npos; at = text.find(marker, at)) {
        text.replace(at, marker.size(), value);
        at += value.size();
    }
}

void refuse(WebKitURISchemeRequest* request, const char* why) {
    GError* error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED, why);
    webkit_uri_scheme_request_finish_error(request, error);
    g_error_free(error);
}

// Only a form on the welcome page itself may change the home page.
bool fromWelcomePage(WebKitURISchemeRequest* request) {
    WebKitWebView* view = webkit_uri_scheme_request_get_web_view(request);
    if (!view) {
        return false;
    }
    WebKitBackForwardListItem* current =
        webkit_back_forward_list_get_current_item(webkit_web_view_get_back_forward_list(view));
    const char* uri = current ? webkit_back_forward_list_item_get_uri(current) : nullptr;
    return uri && std::string(uri).rfind(WelcomePage::kUrl, 0) == 0;
}

std::function<void()>& newAppHandler() {
    static NoDestructor<std::function<void()>> handler;
    return *handler;
}

std::string queryOf(const std::string& uri) {
    auto question = uri.find('?');
    return question == std::string::npos ? std::string() : uri.substr(question + 1);
}

void onRequest(WebKitURISchemeRequest* request, gpointer) {
    const std::string path = webkit_uri_scheme_request_get_path(request)
                                 ? webkit_uri_scheme_request_get_path(request)
                                 : "";
    const std::string uri = webkit_uri_scheme_request_get_uri(request);
    if (uri.rfind("sitebox://welcome", 0) == 0) {
        auto file = Bundle::main().pathForResource("welcome", "html");
        Files::ReadResult html = file ? Files::read(*file) : Files::ReadResult{{}, "missing"};
        if (!html.ok()) {
            Log::warning("welcome page unavailable: ", html.error);
            refuse(request, "The welcome page is missing from the app.");
            return;
        }
        answer(request, WelcomePage::fill(html.data, VLFileManager::getSettingsPath()));
        return;
    }
    if (uri.rfind("sitebox://set-home", 0) == 0) {
        if (!fromWelcomePage(request)) {
            Log::warningLine("refused a home page change that did not come from the welcome page");
            refuse(request, "Not allowed.");
            return;
        }
        auto choice = WelcomePage::parseChoice(queryOf(uri));
        VLSettingsManager& settings = VLSettingsManager::sharedManager();
        if (!choice) {
            Log::warningLine(
                "refused a home page change without this launch's secret or an address");
            answer(request, WelcomePage::goingHomePage(WelcomePage::kUrl));
            return;
        }
        // Stored whole, so "localhost:8766" stays a host with a port and keeps its scheme.
        settings.setUrl(TypedAddress::withScheme(choice->homePage));
        settings.setEnableJavaScript(choice->javaScript);
        settings.saveSettings();
        NotificationCenter::defaultCenter().post(notification::enableJavaScript,
                                                 choice->javaScript);
        auto home = settings.getMainUrl();
        // The app keeps to the home page's site; other links go to the default browser.
        VLWhiteListManager& whitelist = VLWhiteListManager::sharedManager();
        if (home && SiteWhitelist::apply(whitelist, home->absoluteString())) {
            whitelist.savePatterns();
        }
        answer(request, WelcomePage::goingHomePage(home ? home->absoluteString()
                                                        : std::string(WelcomePage::kUrl)));
        return;
    }
    if (uri.rfind("sitebox://new-app", 0) == 0) {
        if (!fromWelcomePage(request) || !WelcomePage::hasSecret(queryOf(uri))) {
            Log::warningLine("refused a new app request that did not come from the welcome page");
            refuse(request, "Not allowed.");
            return;
        }
        if (newAppHandler()) {
            newAppHandler()();
        }
        answer(request, WelcomePage::goingHomePage(WelcomePage::kUrl));
        return;
    }
    refuse(request, "Unknown page.");
}
}  // namespace

void WelcomePage::install() {
    static bool installed = false;
    if (installed) {
        return;
    }
    installed = true;
    WebKitWebContext* context = VLWebEngine::shared().context();
    webkit_web_context_register_uri_scheme(context, "sitebox", onRequest, nullptr, nullptr);
    WebKitSecurityManager* security = webkit_web_context_get_security_manager(context);
    webkit_security_manager_register_uri_scheme_as_secure(security, "sitebox");
    // Web pages can neither link to nor load the app's own pages.
    webkit_security_manager_register_uri_scheme_as_local(security, "sitebox");
}

void WelcomePage::setNewAppHandler(std::function<void()> handler) {
    newAppHandler() = std::move(handler);
}

bool WelcomePage::hasSecret(const std::string& query) {
    GHashTable* fields = g_uri_parse_params(query.c_str(), -1, "&", G_URI_PARAMS_WWW_FORM, nullptr);
    if (!fields) {
        return false;
    }
    auto* secret = static_cast<const char*>(g_hash_table_lookup(fields, "secret"));
    const bool ours = secret && !launchSecret().empty() && launchSecret() == secret;
    g_hash_table_unref(fields);
    return ours;
}

std::optional<WelcomePage::Choice> WelcomePage::parseChoice(const std::string& query) {
    GHashTable* fields = g_uri_parse_params(query.c_str(), -1, "&", G_URI_PARAMS_WWW_FORM, nullptr);
    if (!fields) {
        return std::nullopt;
    }
    Choice choice;
    auto* url = static_cast<const char*>(g_hash_table_lookup(fields, "url"));
    auto* js = static_cast<const char*>(g_hash_table_lookup(fields, "js"));
    auto* secret = static_cast<const char*>(g_hash_table_lookup(fields, "secret"));
    choice.homePage = url ? url : "";
    choice.javaScript = js && std::string(js) == "on";
    const bool ours = secret && !launchSecret().empty() && launchSecret() == secret;
    g_hash_table_unref(fields);
    if (!ours) {
        return std::nullopt;
    }
    // Blanks around a pasted address are not part of it.
    const auto first = choice.homePage.find_first_not_of(" \t\r\n");
    const auto last = choice.homePage.find_last_not_of(" \t\r\n");
    choice.homePage = first == std::string::npos ? std::string()
                                                 : choice.homePage.substr(first, last - first + 1);
    if (choice.homePage.empty()) {
        return std::nullopt;
    }
    return choice;
}

std::string WelcomePage::fill(const std::string& html, const std::string& settingsFolder) {
    std::string out = html;
    replaceAll(out, "{{SETTINGS_FOLDER}}", escapeHtml(settingsFolder));
    replaceAll(out, "{{SECRET}}", launchSecret());
    return out;
}

const std::string& WelcomePage::launchSecret() {
    static const std::string secret = [] {
        unsigned char bytes[16] = {};
        if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
            // Without the system's random source no form can prove it is the welcome page's.
            Log::warningLine("no random source for the welcome page; its form will be refused");
            return std::string();
        }
        std::string hex;
        for (unsigned char byte : bytes) {
            static const char digits[] = "0123456789abcdef";
            hex += digits[byte >> 4];
            hex += digits[byte & 15];
        }
        return hex;
    }();
    return secret;
}

std::string WelcomePage::goingHomePage(const std::string& homeUrl) {
    const std::string target = escapeHtml(homeUrl);
    return "<!doctype html><html><head><meta charset=\"utf-8\"><meta http-equiv=\"refresh\" "
           "content=\"0; url=" +
           target +
           "\"><title>Going home</title></head><body><p>Opening "
           "<a href=\"" +
           target + "\">" + target + "</a>…</p></body></html>";
}
