#pragma once

#include <gtkmm/box.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/window.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "LocalHttpServer.h"
#include "MainLoopWait.h"
#include "browser/SavePanel.h"
#include "browser/VLTabItem.h"
#include "browser/VLWebViewController.h"
#include "browser/VLWebViewControllerDelegate.h"
#include "browser/Workspace.h"

// Records what would have gone to other applications.
class FakeWorkspace : public Workspace {
  public:
    struct Opened {
        std::string url;
        bool inBackground;
    };
    std::vector<Opened> opened;
    std::vector<std::string> openedWith;
    std::map<std::string, Application> applications;  // scheme -> application

    std::optional<Application> applicationForUrl(const std::string& url) override;
    void openUrl(const std::string& url, bool inBackground,
                 std::function<void()> completed) override;
    void openUrlWith(const std::string& url, const Application&) override {
        openedWith.push_back(url);
    }
};

// Answers save dialogs without a user: a path in `folder`, or cancel.
class FakeSavePanel : public SavePanel {
  public:
    struct Asked {
        std::string folder;
        std::string name;
    };
    std::vector<Asked> asked;
    std::optional<std::string> answerFolder;  // nothing: cancel

    void run(GtkWindow* parent, const std::string& folder, const std::string& name,
             std::function<void(std::optional<std::string>)> done) override;
};

class TestItem : public VLTabItem {
  public:
    std::string label() const override { return label_; }
    void setLabel(const std::string& label) override { label_ = label; }
    void setIcon(GdkPixbuf*) override {}

  private:
    std::string label_ = kNewTabLabel;
};

// Stands in for the tab controller: keeps pages handed to it and what it was told.
class TestDelegate : public VLWebViewControllerDelegate {
  public:
    std::vector<std::string> began;
    std::vector<std::string> ended;
    size_t endsSinceLastBegin = 0;
    std::vector<bool> loadStatus;
    std::vector<std::string> kept;  // pages that stayed after a load that did not replace them
    std::vector<std::unique_ptr<VLWebViewController>> newPages;
    std::vector<std::unique_ptr<TestItem>> newItems;
    int closeRequests = 0;

    void didBeignLoadUrl(VLWebViewController&, const std::string& url) override {
        began.push_back(url);
        endsSinceLastBegin = 0;
    }
    void didEndLoadUrl(VLWebViewController&, const std::string& url) override {
        ended.push_back(url);
        ++endsSinceLastBegin;
    }
    void didChangeLoadStatus(VLWebViewController&, bool loading) override {
        loadStatus.push_back(loading);
    }
    void didCancelLoadUrl(VLWebViewController&, const std::string& url) override {
        kept.push_back(url);
    }
    bool respondsToNewWebViewConstroller() const override { return true; }
    void newWebViewConstroller(std::unique_ptr<VLWebViewController> controller) override;
    void closeTab(VLWebViewController&) override { ++closeRequests; }
};

// A 32-pixel red square as PNG bytes.
std::string redPng();
// Whether the engine's icon database has an icon for this page.
bool pageIconKnown(const std::string& pageUrl);

// Runs a script in the page and returns its JSON result (null on error).
nlohmann::json evaluateIn(VLWebViewController& page, const std::string& script);

// A window with one page, its delegate and tab item, the engine routed through a local
// server acting as HTTP proxy (so any host name reaches it), and fake desktop services.
class PageHost {
  public:
    explicit PageHost(std::optional<std::string> firstRequest = std::nullopt);
    ~PageHost();

    VLWebViewController& page() { return *controller; }
    bool waitForLoad(const std::string& urlPart, int timeoutMs = 20000);
    // Loads a page from the server and waits for it to finish.
    bool load(const std::string& url);
    nlohmann::json evaluate(const std::string& script) { return evaluateIn(*controller, script); }

    static LocalHttpServer& server();
    static FakeWorkspace& workspace();
    static FakeSavePanel& savePanel();

    TestDelegate delegate;
    TestItem item;
    std::unique_ptr<VLWebViewController> controller;
    Gtk::Window window;
    Gtk::Box box{Gtk::ORIENTATION_VERTICAL};
};

// Makes the test bundle, fake desktop services and the server-as-proxy ready for pages.
void prepareBrowserTest();

// Serves at `path` a page with this body and title.
void servePage(const std::string& path, const std::string& body, const std::string& title = "T");
// Serves a whole body of that type, as an attachment when a file name is given.
void serveFile(const std::string& path, const std::string& type, const std::string& body,
               const std::string& attachment = "");
void serveRedirect(const std::string& path, const std::string& to);
// Requests the server had for this host (and this path, if one is given).
size_t requestsTo(const std::string& host, const std::string& path = "");
// Only pages matching these patterns stay in the app.
void allowOnly(const std::vector<std::string>& patterns);
std::vector<Gtk::MessageDialog*> shownDialogs();
Gtk::MessageDialog* shownDialog();  // the first, or none
// Answers the next modal alert with the button of that index, from inside its own loop.
void answerNextAlert(int button, std::string* text = nullptr);
// A real pointer click at the middle of an element, through the X server.
void clickElement(PageHost& host, const std::string& id, unsigned button = 1, bool control = false);
