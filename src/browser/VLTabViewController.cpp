#include "browser/VLTabViewController.h"

#include <algorithm>

#include "browser/VLBookmarkRemoveViewController.h"
#include "browser/VLBookmarkViewController.h"
#include "browser/VLTabViewControllerDelegate.h"
#include "browser/VLTabViewItem.h"
#include "browser/VLWebManager.h"
#include "browser/VLWebViewController.h"
#include "browser/WindowRules.h"
#include "foundation/DefaultsKeys.h"
#include "foundation/Log.h"
#include "foundation/NotificationNames.h"
#include "foundation/UserDefaults.h"
#include "stores/VLBehaviorManager.h"
#include "stores/VLBookmarksManager.h"
#include "stores/VLSettingsManager.h"

VLTabViewController::VLTabViewController(Gtk::Notebook& tabView, Gtk::Box& bookmarkBarSlot,
                                         std::unique_ptr<VLWebViewController> firstPage)
    : tabView_(tabView), bookmarkBarSlot_(bookmarkBarSlot) {
    tabView_.set_show_tabs(false);
    bookmarkBarSlot_.pack_start(bookmarkView_, Gtk::PACK_SHRINK);
    bookmarkView_.set_size_request(-1, 22);
    bookmarkView_.setOpenBookmark([this](const std::string& name) { openBookmark(name); });

    auto* addButton = Gtk::manage(new Gtk::Button());
    addButton->set_image_from_icon_name("tab-new-symbolic", Gtk::ICON_SIZE_MENU);
    addButton->set_relief(Gtk::RELIEF_NONE);
    addButton->set_tooltip_text("New Tab");
    addButton->signal_clicked().connect([this] { addNewTab(); });
    addButton->show();
    tabView_.set_action_widget(addButton, Gtk::PACK_END);

    switchConnection_ = tabView_.signal_switch_page().connect(
        [this](Gtk::Widget*, guint index) { didSelect(static_cast<int>(index)); });

    auto& center = NotificationCenter::defaultCenter();
    auto forward = [&](const char* name, void (VLWebViewController::*command)()) {
        observers_.push_back(center.addObserver(
            name, [this, command](const Notification&) { forwardToSelected(command); }));
    };
    forward(notification::reload, &VLWebViewController::refresh);
    forward(notification::stop, &VLWebViewController::stop);
    forward(notification::printpage, &VLWebViewController::printWebView);
    forward(notification::zoomin, &VLWebViewController::zoomIn);
    forward(notification::zoomout, &VLWebViewController::zoomOut);
    forward(notification::resetzoom, &VLWebViewController::resetZoom);
    // The "can" questions carry no answer back; asking changes nothing.
    for (const char* question :
         {notification::canzoomin, notification::canzoomout, notification::canresetzoom}) {
        observers_.push_back(center.addObserver(question, [](const Notification&) {}));
    }
    // The link opens in the window of the page it was chosen in, once.
    observers_.push_back(
        center.addObserver(notification::openLinkInNewTab, [this](const Notification& n) {
            auto url = n.info<std::string>(notification::urlKey);
            auto from = n.objectAs<VLWebView*>();
            if (!url || !from || !holdsWebView(*from)) {
                return;
            }
            addNewTab();
            openUrl(*url);
        }));
    observers_.push_back(center.addObserver(
        notification::showBookmark, [this](const Notification&) { showBookmarkNotification(); }));

    updateTabBar();
    showBookmarkNotification();
    createFirstTab(std::move(firstPage));
}

VLTabViewController::~VLTabViewController() {
    observers_.clear();
    switchConnection_.disconnect();
    closing_ = true;
    while (tabView_.get_n_pages() > 0) {
        tabView_.remove_page(-1);
    }
    items_.clear();
}

std::unique_ptr<VLWebViewController> VLTabViewController::createWebViewController() {
    std::unique_ptr<VLWebViewController> controller = makePage();
    controller->setDelegate(this);
    return controller;
}

std::unique_ptr<VLWebViewController> VLTabViewController::makePage() {
    auto controller = std::make_unique<VLWebViewController>();
    const std::string key = WindowRules::userAgentKeyForNewPage(
        VLBehaviorManager::sharedManager().mobileVersion(),
        UserDefaults::standard().stringForKey(defaults_key::lastUserAnget));
    const auto& agents = VLWebManager::sharedManager().userAgents();
    if (auto it = agents.find(key); it != agents.end()) {
        controller->setCustomUserAgent(it->second);
    }
    return controller;
}

bool VLTabViewController::holdsWebView(const VLWebView* view) const {
    return std::any_of(items_.begin(), items_.end(), [view](const auto& item) {
        return &item->viewController().webview() == view;
    });
}

VLTabViewItem& VLTabViewController::insertItem(std::unique_ptr<VLWebViewController> controller) {
    controller->setDelegate(this);
    auto item = std::make_unique<VLTabViewItem>(
        std::move(controller), [this](VLTabViewItem& closing) { removeTab(closing); });
    VLTabViewItem& added = *item;
    items_.push_back(std::move(item));
    tabView_.append_page(added.page(), added.tabLabel());
    return added;
}

void VLTabViewController::createFirstTab(std::unique_ptr<VLWebViewController> firstPage) {
    insertItem(firstPage ? std::move(firstPage) : createWebViewController());
}

void VLTabViewController::addNewTab() {
    showToolbar();
    addNewTabToTabView();
    updateTabBar();
    if (VLBehaviorManager::sharedManager().openDefaultLinkInNewTab()) {
        if (auto home = VLSettingsManager::sharedManager().getMainUrl()) {
            openUrl(home->absoluteString());
        }
    }
}

void VLTabViewController::addNewTabToTabView() {
    insertItem(createWebViewController());
    tabView_.set_current_page(tabsCount() - 1);
    if (delegate_) {
        delegate_->newTabWasCreated();
    }
}

void VLTabViewController::createTabForController(std::unique_ptr<VLWebViewController> controller) {
    const std::string title = controller->webview().title();
    VLTabViewItem& item = insertItem(std::move(controller));
    item.setLabel(title.empty() ? VLTabItem::kNewTabLabel : title);
    if (VLSettingsManager::sharedManager().selectNewTab()) {
        tabView_.set_current_page(tabsCount() - 1);
    }
    showToolbar();
    updateTabBar();
}

void VLTabViewController::newWebViewConstroller(std::unique_ptr<VLWebViewController> controller) {
    VLBehaviorManager& behavior = VLBehaviorManager::sharedManager();
    if (behavior.openTabInsteadWindow()) {
        if (!behavior.openOtherAppInBackground()) {
            // The new tab is always selected; the setting keeps its value.
            VLSettingsManager& settings = VLSettingsManager::sharedManager();
            const bool remembered = settings.selectNewTab();
            settings.setSelectNewTab(true);
            createTabForController(std::move(controller));
            settings.setSelectNewTab(remembered);
        } else {
            createTabForController(std::move(controller));
        }
        return;
    }
    if (!delegate_ || !delegate_->needCreateWindowForController(controller)) {
        // No window to make: the page stays in this window.
        if (controller) {
            createTabForController(std::move(controller));
        }
    }
}

VLWebViewController* VLTabViewController::selectedWebViewController() {
    VLTabViewItem* item = itemAt(selectedIndex());
    return item ? &item->viewController() : nullptr;
}

VLTabViewItem* VLTabViewController::itemAt(int index) {
    if (index < 0 || index >= tabsCount()) {
        return nullptr;
    }
    Gtk::Widget* page = tabView_.get_nth_page(index);
    for (auto& item : items_) {
        if (&item->page() == page) {
            return item.get();
        }
    }
    return nullptr;
}

int VLTabViewController::selectedIndex() const {
    return tabView_.get_current_page();
}

void VLTabViewController::selectTab(int index) {
    tabView_.set_current_page(index);
}

VLTabViewItem* VLTabViewController::itemFor(const VLWebViewController& page) {
    for (auto& item : items_) {
        if (&item->viewController() == &page) {
            return item.get();
        }
    }
    return nullptr;
}

void VLTabViewController::forwardToSelected(void (VLWebViewController::*command)()) {
    if (VLWebViewController* page = selectedWebViewController()) {
        (page->*command)();
    }
}

void VLTabViewController::goBack() {
    if (VLWebViewController* page = selectedWebViewController()) {
        webkit_web_view_go_back(page->webview().webView());
    }
}

void VLTabViewController::goForward() {
    if (VLWebViewController* page = selectedWebViewController()) {
        webkit_web_view_go_forward(page->webview().webView());
    }
}

void VLTabViewController::goHome() {
    forwardToSelected(&VLWebViewController::goHome);
}

void VLTabViewController::openUrl(const std::string& text) {
    if (VLWebViewController* page = selectedWebViewController()) {
        page->openUrl(text);
    }
}

void VLTabViewController::removeCurrentTab() {
    if (VLTabViewItem* item = itemAt(selectedIndex())) {
        removeTab(*item);
    }
}

void VLTabViewController::removeTab(VLTabViewItem& item) {
    const int index = tabView_.page_num(item.page());
    if (index < 0) {
        return;
    }
    const bool wasSelected = index == selectedIndex();
    std::optional<TabOrder::Tab> prior =
        tabsOrder_.willClose(&item, VLSettingsManager::sharedManager().returnToPrior());
    tabsOrder_.forget(&item);
    closing_ = true;
    tabView_.remove_page(index);
    closing_ = false;
    item.viewController().webViewDidClose();
    auto owned = std::find_if(items_.begin(), items_.end(),
                              [&](const auto& candidate) { return candidate.get() == &item; });
    std::unique_ptr<VLTabViewItem> closed = std::move(*owned);
    items_.erase(owned);
    int select = selectedIndex();
    if (wasSelected && prior) {
        for (int i = 0; i < tabsCount(); ++i) {
            if (itemAt(i) == *prior) {
                select = i;
            }
        }
    }
    if (select >= 0) {
        tabView_.set_current_page(select);
        didSelect(select);
    }
    updateTabBar();
}

void VLTabViewController::closeTab(VLWebViewController& page) {
    VLTabViewItem* item = itemFor(page);
    if (!item) {
        return;
    }
    if (tabsCount() > 1) {
        removeTab(*item);
    } else if (delegate_) {
        delegate_->closeWindow();
    }
}

void VLTabViewController::updateTabBar() {
    // One tab needs no row of tabs.
    tabView_.set_show_tabs(tabsCount() >= 2);
}

bool VLTabViewController::tabBarVisible() const {
    return tabView_.get_show_tabs();
}

std::vector<std::string> VLTabViewController::getOpenedUrls() const {
    std::vector<std::string> urls;
    for (int i = 0; i < tabView_.get_n_pages(); ++i) {
        const Gtk::Widget* page = tabView_.get_nth_page(i);
        for (const auto& item : items_) {
            if (&item->page() == page) {
                std::string url = item->viewController().webview().url();
                if (!url.empty()) {
                    urls.push_back(std::move(url));
                }
            }
        }
    }
    return urls;
}

bool VLTabViewController::restoreUrls(const std::vector<std::string>& urls, bool firstLoading) {
    VLTabViewItem* last = itemAt(tabsCount() - 1);
    if (!last) {
        return false;
    }
    if (urls.empty()) {
        last->viewController().goHome();
        return true;
    }
    if (!firstLoading) {
        last->viewController().loadRequest(urls[0]);
    }
    last->setLabel(urls[0]);
    for (size_t i = 1; i < urls.size(); ++i) {
        addNewTabToTabView();
        VLTabViewItem* added = itemAt(tabsCount() - 1);
        // Through the page controller, so restored tabs wait for the ad-blocking list too.
        added->viewController().loadRequest(urls[i]);
        added->setLabel(urls[i]);
    }
    updateTabBar();
    return true;
}

void VLTabViewController::releaseAllWebViews() {
    for (auto& item : items_) {
        item->viewController().webViewDidClose();
    }
}

void VLTabViewController::showToolbar() {
    UserDefaults::standard().setBool(defaults_key::toolbarVisible, true);
    if (delegate_) {
        delegate_->toolbarVisibilityChanged(true);
    }
}

void VLTabViewController::hideToolbar() {
    UserDefaults::standard().setBool(defaults_key::toolbarVisible, false);
    if (delegate_) {
        delegate_->toolbarVisibilityChanged(false);
    }
}

void VLTabViewController::addBookmarkClick() {
    VLWebViewController* page = selectedWebViewController();
    addPopover_ = VLBookmarkViewController::create();
    if (!addPopover_ || !page) {
        return;
    }
    addPopover_->setUrl(page->webview().url());
    addPopover_->setName(page->webview().title());
    addPopover_->viewDidLoad();
    addPopover_->set_relative_to(tabView_);
    Gdk::Rectangle centre(tabView_.get_allocated_width() / 2, tabView_.get_allocated_height() / 2,
                          1, 1);
    addPopover_->set_pointing_to(centre);
    addPopover_->set_position(Gtk::POS_BOTTOM);
    addPopover_->popup();
}

void VLTabViewController::removeBookmarkClick() {
    removePopover_ = VLBookmarkRemoveViewController::create();
    if (!removePopover_) {
        return;
    }
    removePopover_->viewDidLoad();
    removePopover_->set_relative_to(tabView_);
    Gdk::Rectangle centre(tabView_.get_allocated_width() / 2, tabView_.get_allocated_height() / 2,
                          1, 1);
    removePopover_->set_pointing_to(centre);
    removePopover_->set_position(Gtk::POS_BOTTOM);
    removePopover_->popup();
}

void VLTabViewController::openBookmark(const std::string& name) {
    if (auto url = VLBookmarksManager::sharedManager().getUrlByName(name)) {
        openUrl(*url);
    }
}

void VLTabViewController::showBookmarkNotification() {
    const bool shown = VLSettingsManager::sharedManager().showBookmarkBar();
    bookmarkBarSlot_.set_visible(shown);
    bookmarkView_.set_visible(shown);
    bookmarkView_.setBookmarks(VLBookmarksManager::sharedManager().bookmarks());
}

void VLTabViewController::didSelect(int index) {
    if (closing_) {
        return;
    }
    VLTabViewItem* item = itemAt(index);
    if (!item) {
        return;
    }
    tabsOrder_.didSelect(item);
    if (delegate_) {
        VLWebViewController& page = item->viewController();
        const std::string url = page.webview().url();
        delegate_->needChangeUrl(url.empty() ? std::nullopt : std::optional<std::string>(url));
        delegate_->changeLoadStatus(webkit_web_view_is_loading(page.webview().webView()));
        delegate_->changeSecureStatus(page.hasOnlySecureContent());
    }
}

void VLTabViewController::didBeignLoadUrl(VLWebViewController& page, const std::string& url) {
    if (selectedWebViewController() == &page && delegate_) {
        delegate_->needChangeUrl(url.empty() ? std::nullopt : std::optional<std::string>(url));
    }
}

void VLTabViewController::didEndLoadUrl(VLWebViewController& page, const std::string&) {
    if (selectedWebViewController() == &page && delegate_) {
        delegate_->needChangeUrl(page.webview().url());
        delegate_->changeSecureStatus(page.hasOnlySecureContent());
    }
}

void VLTabViewController::didCancelLoadUrl(VLWebViewController& page, const std::string& url) {
    if (selectedWebViewController() == &page && delegate_) {
        delegate_->needChangeUrl(url.empty() ? std::nullopt : std::optional<std::string>(url));
        delegate_->changeSecureStatus(page.hasOnlySecureContent());
    }
}

void VLTabViewController::didLoadInsecureContent(VLWebViewController& page) {
    if (selectedWebViewController() == &page && delegate_) {
        delegate_->changeSecureStatus(false);
    }
}

void VLTabViewController::didChangeLoadStatus(VLWebViewController& page, bool loading) {
    if (selectedWebViewController() == &page && delegate_) {
        delegate_->changeLoadStatus(loading);
    }
}
