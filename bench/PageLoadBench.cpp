// Time from openUrl to "load finished" through the page controller, against a bare web view in
// the same engine loading the same page. Run under a display: xvfb-run -a page_load_bench
#include <benchmark/benchmark.h>
#include <gtkmm/main.h>
#include <gtkmm/window.h>

#include <chrono>

#include "LocalHttpServer.h"
#include "MainLoopWait.h"
#include "ScratchHome.h"
#include "browser/EnginePainting.h"
#include "browser/VLWebEngine.h"
#include "browser/VLWebViewController.h"
#include "browser/VLWebViewControllerDelegate.h"

namespace {
LocalHttpServer& server() {
    static LocalHttpServer* instance = [] {
        auto* s = new LocalHttpServer;  // lives for the whole run
        std::string body = "<!doctype html><html><head><title>Bench</title></head><body>";
        for (int i = 0; i < 400; ++i) {
            body += "<p>Paragraph " + std::to_string(i) + " of a typical article page.</p>";
        }
        body += "</body></html>";
        s->serve("/page.html", body, "text/html");
        return s;
    }();
    return *instance;
}

struct Finished : VLWebViewControllerDelegate {
    int count = 0;
    void didEndLoadUrl(VLWebViewController&, const std::string&) override { ++count; }
};

void BM_PageController(benchmark::State& state) {
    ScratchHome::init("Bench");
    Finished delegate;
    VLWebViewController controller;
    controller.setDelegate(&delegate);
    Gtk::Window window;
    window.add(controller.webview().widget());
    window.show_all();
    int n = 0;
    for (auto _ : state) {
        const std::string url = server().url("/page.html?c=" + std::to_string(n++));
        const int before = delegate.count;
        auto start = std::chrono::steady_clock::now();
        controller.openUrl(url);
        waitUntil([&] { return delegate.count > before; }, 30000);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(BM_PageController)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);

void BM_BareWebView(benchmark::State& state) {
    ScratchHome::init("Bench");
    GtkWidget* view = webkit_web_view_new_with_context(VLWebEngine::shared().context());
    int finished = 0;
    g_signal_connect(view, "load-changed",
                     G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent event, gpointer data) {
                         if (event == WEBKIT_LOAD_FINISHED) {
                             ++*static_cast<int*>(data);
                         }
                     }),
                     &finished);
    Gtk::Window window;
    gtk_container_add(GTK_CONTAINER(window.gobj()), view);
    window.show_all();
    int n = 0;
    for (auto _ : state) {
        const std::string url = server().url("/page.html?b=" + std::to_string(n++));
        const int before = finished;
        auto start = std::chrono::steady_clock::now();
        webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), url.c_str());
        waitUntil([&] { return finished > before; }, 30000);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(BM_BareWebView)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);
}  // namespace

int main(int argc, char** argv) {
    setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", 0);
    EnginePainting::applyToThisMachine();
    Gtk::Main kit(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
