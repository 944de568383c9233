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

    // A page opened by a page (new window, Ctrl+click): a new tab or window takes it.
    virtual bool respondsToNewWebViewConstroller() const { return false; }
    virtual void newWebViewConstroller(std::unique_ptr<VLWebViewController> /*controller*/) {}

    // A page opened in a new tab only to follow a link that left the app: close its tab (or the
    // window when it is the only tab).
    virtual void closeTab(VLWebViewController&) {}
};
