#pragma once

#include <memory>
#include <optional>
#include <string>

class VLWebViewController;

// What the tab controller reports to its window controller. Every message is optional.
class VLTabViewControllerDelegate {
  public:
    virtual ~VLTabViewControllerDelegate() = default;

    virtual void needChangeUrl(const std::optional<std::string>& /*url*/) {}
    virtual void changeLoadStatus(bool /*loading*/) {}
    virtual void changeSecureStatus(bool /*secure*/) {}
    virtual void newTabWasCreated() {}
    // A page that should open in a new window; false when the delegate makes no windows.
    virtual bool needCreateWindowForController(std::unique_ptr<VLWebViewController>& /*page*/) {
        return false;
    }
    virtual void editUrl() {}
    // The window's toolbar (navigation and address) shown or hidden.
    virtual void toolbarVisibilityChanged(bool /*visible*/) {}
    // The window should close (its last tab was closed from a page or a command).
    virtual void closeWindow() {}
};
