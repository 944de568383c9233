#include "BrowserTestSupport.h"

#include <glibmm/main.h>
#include <gtest/gtest.h>

#include "TestHome.h"
#include "XInput.h"
#include "rules/VLWhiteListManager.h"

#include "browser/VLWebEngine.h"
#include "foundation/GObjectPtr.h"
#include "foundation/NoDestructor.h"
#include "maintenance/Image.h"

std::optional<Workspace::Application> FakeWorkspace::applicationForUrl(const std::string& url) {
    auto it = applications.find(url.substr(0, url.find(':')));
    return it == applications.end() ? std::nullopt : std::optional(it->second);
}

void FakeWorkspace::openUrl(const std::string& url, bool inBackground,
                            std::function<void()> completed) {
    opened.push_back({url, inBackground});
    if (completed) {
        completed();
    }
}

void FakeSavePanel::run(GtkWindow*, const std::string& folder, const std::string& name,
                        std::function<void(std::optional<std::string>)> done) {
    asked.push_back({folder, name});
    done(answerFolder ? std::optional<std::string>(*answerFolder + "/" + name) : std::nullopt);
}

void TestDelegate::newWebViewConstroller(std::unique_ptr<VLWebViewController> controller) {
    auto item = std::make_unique<TestItem>();
    controller->setDelegate(this);
    controller->setItem(item.get());
    newItems.push_back(std::move(item));
    newPages.push_back(std::move(controller));
}

LocalHttpServer& PageHost::server() {
    static NoDestructor<LocalHttpServer> server;
    return *server;
}

template <class Fake, class Service>
Fake& installShared() {
    static Fake* raw = [] {
        auto fake = std::make_unique<Fake>();
        Fake* kept = fake.get();
        Service::setShared(std::move(fake));
        return kept;
    }();
    return *raw;
}

// Sends every http:// request of the engine to the server, whatever its host (but localhost).
static void routeEngineThrough(LocalHttpServer& server) {
    const std::string proxy = "http://127.0.0.1:" + std::to_string(server.port());
    // localhost stays direct, so tests can meet a real refused connection there.
    const char* direct[] = {"localhost", nullptr};
    WebKitNetworkProxySettings* settings = webkit_network_proxy_settings_new(proxy.c_str(), direct);
    webkit_website_data_manager_set_network_proxy_settings(
        VLWebEngine::shared().dataManager(), WEBKIT_NETWORK_PROXY_MODE_CUSTOM, settings);
    webkit_network_proxy_settings_free(settings);
}

FakeWorkspace& PageHost::workspace() {
    return installShared<FakeWorkspace, Workspace>();
}

FakeSavePanel& PageHost::savePanel() {
    return installShared<FakeSavePanel, SavePanel>();
}

void prepareBrowserTest() {
    static bool prepared = false;
    if (prepared) {
        return;
    }
    prepared = true;
    TestHome::installBundleResources();
    PageHost::workspace();
    PageHost::savePanel();
    routeEngineThrough(PageHost::server());
}

PageHost::PageHost(std::optional<std::string> firstRequest) {
    prepareBrowserTest();
    controller = std::make_unique<VLWebViewController>(firstRequest);
    controller->setDelegate(&delegate);
    controller->setItem(&item);
    window.set_default_size(800, 600);
    box.pack_start(controller->progress(), Gtk::PACK_SHRINK);
    box.pack_start(controller->webview().widget(), Gtk::PACK_EXPAND_WIDGET);
    window.add(box);
    window.show_all();
}

PageHost::~PageHost() {
    delegate.newPages.clear();
    controller.reset();
}

bool PageHost::waitForLoad(const std::string& urlPart, int timeoutMs) {
    return waitUntil(
        [&] {
            for (const std::string& url : delegate.ended) {
                if (url.find(urlPart) != std::string::npos) {
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
}

bool PageHost::load(const std::string& url) {
    // The end of a load still running (cancelled by this one) must not pass for this load's.
    const size_t before = delegate.began.size();
    controller->loadRequest(url);
    return waitUntil(
        [&] { return delegate.began.size() > before && delegate.endsSinceLastBegin > 0; }, 20000);
}

std::string redPng() {
    auto pixbuf = GObjectPtr<GdkPixbuf>::adopt(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 32, 32));
    gdk_pixbuf_fill(pixbuf.get(), 0xff0000ff);
    return Image(pixbuf).pngData();
}

bool pageIconKnown(const std::string& pageUrl) {
    static std::optional<bool> found;  // static: an answer may come after the wait gave up
    found.reset();
    webkit_favicon_database_get_favicon(
        webkit_web_context_get_favicon_database(VLWebEngine::shared().context()), pageUrl.c_str(),
        nullptr,
        +[](GObject* icons, GAsyncResult* result, gpointer) {
            cairo_surface_t* icon = webkit_favicon_database_get_favicon_finish(
                WEBKIT_FAVICON_DATABASE(icons), result, nullptr);
            found = icon != nullptr;
            if (icon) {
                cairo_surface_destroy(icon);
            }
        },
        nullptr);
    waitUntil([] { return found.has_value(); });
    return found.value_or(false);
}

nlohmann::json evaluateIn(VLWebViewController& page, const std::string& script) {
    std::optional<nlohmann::json> result;
    bool done = false;
    page.webview().evaluate(script, [&](std::optional<nlohmann::json> value, std::string) {
        result = std::move(value);
        done = true;
    });
    waitUntil([&] { return done; }, 10000);
    return result.value_or(nullptr);
}

void servePage(const std::string& path, const std::string& body, const std::string& title) {
    PageHost::server().serve(
        path, "<!doctype html><title>" + title + "</title><body>" + body + "</body>", "text/html");
}

void serveFile(const std::string& path, const std::string& type, const std::string& body,
               const std::string& attachment) {
    PageHost::server().handle(path, [=](const LocalHttpServer::Request&) {
        LocalHttpServer::Response response{200, type, {}, body, {}, {}};
        if (!attachment.empty()) {
            response.headers = {
                {"Content-Disposition", "attachment; filename=\"" + attachment + "\""}};
        }
        return response;
    });
}

void serveRedirect(const std::string& path, const std::string& to) {
    PageHost::server().handle(path, [=](const LocalHttpServer::Request&) {
        return LocalHttpServer::Response{302, "text/plain", {{"Location", to}}, "", {}, {}};
    });
}

size_t requestsTo(const std::string& host, const std::string& path) {
    size_t count = 0;
    for (const auto& request : PageHost::server().requests()) {
        count += request.host == host && (path.empty() || request.path == path);
    }
    return count;
}

void allowOnly(const std::vector<std::string>& patterns) {
    VLWhiteListManager& whitelist = VLWhiteListManager::sharedManager();
    whitelist.setAllowAll(false);
    whitelist.setAllowPatterns(true);
    whitelist.removeAllPatterns();
    for (const auto& pattern : patterns) {
        whitelist.addPattern(pattern);
    }
}

std::vector<Gtk::MessageDialog*> shownDialogs() {
    std::vector<Gtk::MessageDialog*> shown;
    for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
        if (auto* dialog = dynamic_cast<Gtk::MessageDialog*>(window);
            dialog && dialog->get_visible()) {
            shown.push_back(dialog);
        }
    }
    return shown;
}

Gtk::MessageDialog* shownDialog() {
    auto shown = shownDialogs();
    return shown.empty() ? nullptr : shown.front();
}

void answerNextAlert(int button, std::string* text) {
    Glib::signal_timeout().connect(
        [button, text] {
            Gtk::MessageDialog* dialog = shownDialog();
            if (dialog && text) {
                *text = dialog->property_text().get_value();
            }
            if (dialog) {
                dialog->response(button);
            }
            return !dialog;  // again until shown
        },
        20);
}

void clickElement(PageHost& host, const std::string& id, unsigned button, bool control) {
    nlohmann::json box = host.evaluate("(function(){var r = document.getElementById('" + id +
                                       "').getBoundingClientRect();"
                                       "return [r.left + r.width / 2, r.top + r.height / 2];})()");
    ASSERT_TRUE(box.is_array());
    XInput::click(host.page().webview().widget(), static_cast<int>(box[0].get<double>()),
                  static_cast<int>(box[1].get<double>()), button, control);
}
