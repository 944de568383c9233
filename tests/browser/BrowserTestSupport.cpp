#include "BrowserTestSupport.h"

#include "TestHome.h"

#include "browser/VLWebEngine.h"
#include "foundation/NoDestructor.h"

std::optional<Workspace::Application> FakeWorkspace::applicationForUrl(const std::string& url) {
    auto colon = url.find(':');
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    auto it = applications.find(url.substr(0, colon));
    if (it == applications.end()) {
        return std::nullopt;
    }
    return it->second;
}

void FakeWorkspace::openUrl(const std::string& url, bool inBackground,
                            std::function<void()> completed) {
    opened.push_back({url, inBackground});
    if (completed) {
        completed();
    }
}

void FakeWorkspace::openUrlWith(const std::string& url, const Application&) {
    openedWith.push_back(url);
}

void FakeSavePanel::run(GtkWindow*, const std::string& folder, const std::string& name,
                        std::function<void(std::optional<std::string>)> done) {
    asked.push_back({folder, name});
    done(answerFolder ? std::optional<std::string>(*answerFolder + "/" + name) : std::nullopt);
}

void TestDelegate::didBeignLoadUrl(VLWebViewController&, const std::string& url) {
    began.push_back(url);
}

void TestDelegate::didEndLoadUrl(VLWebViewController&, const std::string& url) {
    ended.push_back(url);
}

void TestDelegate::didChangeLoadStatus(VLWebViewController&, bool loading) {
    loadStatus.push_back(loading);
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

FakeWorkspace& PageHost::workspace() {
    static FakeWorkspace* workspace = [] {
        auto fake = std::make_unique<FakeWorkspace>();
        FakeWorkspace* raw = fake.get();
        Workspace::setShared(std::move(fake));
        return raw;
    }();
    return *workspace;
}

FakeSavePanel& PageHost::savePanel() {
    static FakeSavePanel* panel = [] {
        auto fake = std::make_unique<FakeSavePanel>();
        FakeSavePanel* raw = fake.get();
        SavePanel::setShared(std::move(fake));
        return raw;
    }();
    return *panel;
}

void routeEngineThrough(LocalHttpServer& server) {
    const std::string proxy = "http://127.0.0.1:" + std::to_string(server.port());
    // localhost stays direct, so tests can meet a real refused connection there.
    const char* direct[] = {"localhost", nullptr};
    WebKitNetworkProxySettings* settings = webkit_network_proxy_settings_new(proxy.c_str(), direct);
    webkit_website_data_manager_set_network_proxy_settings(
        VLWebEngine::shared().dataManager(), WEBKIT_NETWORK_PROXY_MODE_CUSTOM, settings);
    webkit_network_proxy_settings_free(settings);
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
    size_t before = delegate.ended.size();
    controller->loadRequest(url);
    return waitUntil([&] { return delegate.ended.size() > before; }, 20000);
}

nlohmann::json PageHost::evaluate(const std::string& script) {
    std::optional<nlohmann::json> result;
    bool done = false;
    controller->webview().evaluate(script, [&](std::optional<nlohmann::json> value, std::string) {
        result = std::move(value);
        done = true;
    });
    waitUntil([&] { return done; }, 10000);
    return result.value_or(nullptr);
}
