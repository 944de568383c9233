#pragma once

#include <gtkmm/box.h>
#include <gtkmm/headerbar.h>
#include <gtkmm/window.h>

#include <memory>
#include <string>
#include <vector>

#include "browser/VLWebViewControllerDelegate.h"

class VLWebViewController;

// A small window for a page another page opened by script (a sign-in with another site): it
// stays in the app whatever its domain, with no tabs, its title and address shown read-only,
// and closes with the page's window.close() or its close button. Nothing in it is judged by the
// whitelist while it is open, so the sign-in can finish and report back to its opener.
class VLPopupWindow : public VLWebViewControllerDelegate {
  public:
    // Shows the page in a new pop-up window over `opener` (may be null); the window owns itself
    // until it closes.
    static VLPopupWindow& open(std::unique_ptr<VLWebViewController> page, Gtk::Window* opener);
    // The pop-up windows open now, oldest first.
    static std::vector<VLPopupWindow*> openWindows();
    ~VLPopupWindow() override;

    Gtk::Window& window() { return window_; }
    VLWebViewController& page() { return *page_; }
    void close();

    void didBeignLoadUrl(VLWebViewController& page, const std::string& url) override;
    void didEndLoadUrl(VLWebViewController& page, const std::string& url) override;
    void closeTab(VLWebViewController& page) override;

  private:
    explicit VLPopupWindow(std::unique_ptr<VLWebViewController> page, Gtk::Window* opener);
    void showAddress(const std::string& url);

    std::unique_ptr<VLWebViewController> page_;
    Gtk::Window window_;
    Gtk::HeaderBar header_;
    Gtk::Box content_{Gtk::ORIENTATION_VERTICAL};
    bool closed_ = false;
};
