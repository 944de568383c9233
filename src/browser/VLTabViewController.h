#pragma once

#include <gtkmm/box.h>
#include <gtkmm/notebook.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browser/TabOrder.h"
#include "browser/VLBookmarkView.h"
#include "browser/VLWebViewControllerDelegate.h"
#include "foundation/NotificationCenter.h"

class VLBookmarkRemoveViewController;
class VLBookmarkViewController;
class VLTabViewControllerDelegate;
class VLTabViewItem;
class VLWebView;

// The tabs of one main window, over a notebook: the first tab, new tabs (command, page-opened,
// restored), the most-recently-selected order, the page commands forwarded to the selected page,
// the bookmarks bar, and the toolbar's shown state.
class VLTabViewController : public VLWebViewControllerDelegate {
  public:
    // `firstPage`, when given, is the first tab's page (one already loading, or a page's new
    // window); otherwise the first tab gets a new page.
    VLTabViewController(Gtk::Notebook& tabView, Gtk::Box& bookmarkBarSlot,
                        std::unique_ptr<VLWebViewController> firstPage = nullptr);
    ~VLTabViewController() override;
    VLTabViewController(const VLTabViewController&) = delete;
    VLTabViewController& operator=(const VLTabViewController&) = delete;

    VLTabViewControllerDelegate* delegate() const { return delegate_; }
    void setDelegate(VLTabViewControllerDelegate* delegate) { delegate_ = delegate; }

    void createFirstTab(std::unique_ptr<VLWebViewController> firstPage = nullptr);
    // A page as new tabs get it (the user agent new pages start with), with no tab yet.
    static std::unique_ptr<VLWebViewController> makePage();
    void addNewTab();
    void addNewTabToTabView();
    void createTabForController(std::unique_ptr<VLWebViewController> controller);

    VLWebViewController* selectedWebViewController();
    int tabsCount() const { return static_cast<int>(items_.size()); }
    VLTabViewItem* itemAt(int index);
    int selectedIndex() const;
    void selectTab(int index);

    void goBack();
    void goForward();
    void goHome();
    void openUrl(const std::string& text);
    void removeCurrentTab();
    void removeTab(VLTabViewItem& item);
    void updateTabBar();
    bool tabBarVisible() const;
    std::vector<std::string> getOpenedUrls() const;
    // The first address goes to the last tab, each further one to a new tab; with
    // `firstLoading` the last tab is already loading the first.
    bool restoreUrls(const std::vector<std::string>& urls, bool firstLoading = false);
    void releaseAllWebViews();
    void showToolbar();
    void hideToolbar();
    void addBookmarkClick();
    void removeBookmarkClick();
    void openBookmark(const std::string& name);
    void showBookmarkNotification();
    VLBookmarkView& bookmarkView() { return bookmarkView_; }
    // The bookmark popovers last opened, if any.
    VLBookmarkViewController* addPopover() { return addPopover_.get(); }
    VLBookmarkRemoveViewController* removePopover() { return removePopover_.get(); }
    const TabOrder& tabsOrder() const { return tabsOrder_; }

    // From the page controllers.
    void didBeignLoadUrl(VLWebViewController& page, const std::string& url) override;
    void didEndLoadUrl(VLWebViewController& page, const std::string& url) override;
    void didChangeLoadStatus(VLWebViewController& page, bool loading) override;
    void didCancelLoadUrl(VLWebViewController& page, const std::string& url) override;
    void didLoadInsecureContent(VLWebViewController& page) override;
    bool respondsToNewWebViewConstroller() const override { return true; }
    void newWebViewConstroller(std::unique_ptr<VLWebViewController> controller) override;
    // Every page of this window's tabs is made here: the stored user agent, this delegate.
    std::unique_ptr<VLWebViewController> createWebViewController() override;
    void closeTab(VLWebViewController& page) override;

  private:
    bool holdsWebView(const VLWebView* view) const;
    VLTabViewItem& insertItem(std::unique_ptr<VLWebViewController> controller);
    VLTabViewItem* itemFor(const VLWebViewController& page);
    void didSelect(int index);
    void forwardToSelected(void (VLWebViewController::*command)());

    Gtk::Notebook& tabView_;
    Gtk::Box& bookmarkBarSlot_;
    VLBookmarkView bookmarkView_;
    VLTabViewControllerDelegate* delegate_ = nullptr;
    std::vector<std::unique_ptr<VLTabViewItem>> items_;
    TabOrder tabsOrder_;
    bool closing_ = false;
    std::unique_ptr<VLBookmarkViewController> addPopover_;
    std::unique_ptr<VLBookmarkRemoveViewController> removePopover_;
    std::vector<NotificationCenter::Observer> observers_;
    sigc::connection switchConnection_;
};
