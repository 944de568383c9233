#pragma once

#include <memory>
#include <string>

class VLWebViewController;

// What a page controller reports to its tab controller. Every message is optional: the defaults
// do nothing, and a delegate that cannot take new pages says so.
class VLWebViewControllerDelegate {
  public:
    virtual ~VLWebViewControllerDelegate() = default;

    virtual void didBeignLoadUrl(VLWebViewController&, const std::string& /*url*/) {}
    virtual void didEndLoadUrl(VLWebViewController&, const std::string& /*url*/) {}
    virtual void didChangeLoadStatus(VLWebViewController&, bool /*loading*/) {}
    // A load ended without replacing the page (refused, saved as a download, stopped): `url` is
    // the page that stays on screen.
    virtual void didCancelLoadUrl(VLWebViewController&, const std::string& /*url*/) {}
    // The page loaded something over plain http after all.
    virtual void didLoadInsecureContent(VLWebViewController&) {}

    // A page opened by a page (new window, Ctrl+click): a new tab or window takes it.
    virtual bool respondsToNewWebViewConstroller() const { return false; }
    virtual void newWebViewConstroller(std::unique_ptr<VLWebViewController> /*controller*/) {}
    // A new page made the way the delegate makes all its pages (its stored user agent), for a
    // link the user opens in a new page; nullptr leaves it to the page.
    virtual std::unique_ptr<VLWebViewController> createWebViewController();

    // A page opened in a new tab only to follow a link that left the app: close its tab (or the
    // window when it is the only tab).
    virtual void closeTab(VLWebViewController&) {}
};
