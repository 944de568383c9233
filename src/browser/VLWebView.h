#pragma once

#include <gtkmm/widget.h>
#include <webkit2/webkit2.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "foundation/AsyncScope.h"
#include "foundation/GObjectPtr.h"
#include "foundation/LifeToken.h"

// A page's web view: a WebKitWebView with its own settings and user content manager, the
// rewritten context menu, the one-shot download flag and the page-script calls of find in page.
class VLWebView {
  public:
    // A new view in the shared web engine; with `relatedView` it shares that page's web process
    // (a window the page opened) but still gets settings and content of its own, starting from
    // the opener's user agent.
    explicit VLWebView(VLWebView* relatedView = nullptr);
    enum class SharedProcess { Yes };
    // A page of the app's own (a tab): it joins the web process of the app's latest page, if
    // any. The app's pages show one site (addresses outside it go to the default browser), so
    // each needs no process of its own, and a hidden tab then costs only its page.
    explicit VLWebView(SharedProcess);
    ~VLWebView();
    VLWebView(const VLWebView&) = delete;
    VLWebView& operator=(const VLWebView&) = delete;

    WebKitWebView* webView() const { return view_.get(); }
    Gtk::Widget& widget() const { return *widget_; }
    // The window the view is in; null while it is in none.
    Gtk::Window* toplevelWindow() const;
    WebKitSettings* settings() const;
    WebKitUserContentManager* userContentManager() const;
    // The VLWebView of a WebKitWebView made by this class, or nullptr.
    static VLWebView* fromWebView(WebKitWebView* view);

    // Clears the page's autofill state first (the hook), then loads.
    void loadRequest(const std::string& url);
    std::string url() const;
    // The address of the document on screen (the current history entry), which a load under way
    // has not replaced yet.
    std::string shownUrl() const;
    // The app's own pages (its scheme) open only when the app itself asked: true once for the
    // address the app last loaded.
    static constexpr const char* kAppScheme = "sitebox:";
    bool takeAppPageRequest(const std::string& url);
    std::string title() const;

    bool needToDownload() const { return needToDownload_; }
    void setNeedToDownload(bool value) { needToDownload_ = value; }

    // Runs a script in the page; `done` (optional) gets the result as JSON, or an error text.
    using ScriptResult =
        std::function<void(std::optional<nlohmann::json> value, std::string error)>;
    void evaluate(const std::string& script, ScriptResult done = {});
    // The same in the app's own script world, where its page scripts live out of the page's reach.
    void evaluateInAppWorld(const std::string& script, ScriptResult done = {});
    // Expires when the view goes.
    std::weak_ptr<void> lifetime() const { return life_.watch(); }

    // Find in page (the bundle's WebViewSearchExt functions).
    void highlightAllOccurencesOfString(const std::string& text, std::function<void(long)> done);
    void scrollTo(long index);
    void removeAllHighlights();

    // What clearing autofill state means; installed by the autofill handler.
    // Installed by the autofill handler when it starts.
    static void setClearLoginDataHook(std::function<void(VLWebView&)> hook);
    static void clearLoginData(VLWebView& view);
    // What leaving a page means for the login typed there (the offer to save it); installed by
    // the autofill handler when it starts.
    static void setLeavingPageHook(std::function<void(VLWebView&)> hook);
    static void leavingPage(VLWebView& view);
    // How the page opens an address in a new page (the page controller's new-window path).
    void setOpenInNewPage(std::function<void(const std::string& url)> open) {
        openInNewPage_ = std::move(open);
    }

    // Context menu actions (also used by tests).
    void openLinkInNewtab(const std::string& linkUrl);
    void downloadImage(const std::string& imageUrl);
    void download(const std::string& linkUrl, const std::optional<std::string>& imageUrl);

  private:
    VLWebView(VLWebView* relatedView, bool inheritAgent);
    void evaluateIn(const char* world, const std::string& script, ScriptResult done);
    static gboolean onContextMenu(WebKitWebView*, WebKitContextMenu* menu, GdkEvent*,
                                  WebKitHitTestResult* hit, gpointer self);
    void rewriteContextMenu(WebKitContextMenu* menu, WebKitHitTestResult* hit);

    GObjectPtr<WebKitWebView> view_;
    Gtk::Widget* widget_ = nullptr;  // the gtkmm wrapper of view_, owned by view_
    bool needToDownload_ = false;
    std::optional<std::string> appPageRequest_;
    std::function<void(const std::string&)> openInNewPage_;
    LifeToken life_;
    AsyncScope async_;
};
