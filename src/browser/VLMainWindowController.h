#pragma once

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>
#include <gtkmm/stack.h>
#include <gtkmm/toolbar.h>
#include <gtkmm/toolbutton.h>

#include <functional>
#include <memory>
#include <vector>

#include "browser/VLMainWindow.h"
#include "browser/VLTabViewController.h"
#include "browser/VLTabViewControllerDelegate.h"
#include "browser/VLURLBarField.h"
#include "foundation/AsyncScope.h"
#include "foundation/NotificationCenter.h"

// A main window's controller: applies the window settings at load, relays the tab controller's
// reports to the address field, forwards the toolbar's buttons, opens further windows, follows
// the page's colour when asked, and decides what closing the window means.
class VLMainWindowController : public VLTabViewControllerDelegate {
  public:
    // A new main window from Main.ui, shown; with a page, that page is its first tab. The
    // controller lives until its window closes.
    static VLMainWindowController* create(std::unique_ptr<VLWebViewController> firstPage = nullptr);
    ~VLMainWindowController() override;
    VLMainWindowController(const VLMainWindowController&) = delete;
    VLMainWindowController& operator=(const VLMainWindowController&) = delete;

    // Every main window controller whose window is open, in the order they were opened.
    static const std::vector<VLMainWindowController*>& openControllers();
    static VLMainWindowController* forWindow(const Gtk::Window* window);
    // The application's name for titles; the app installs it (the bundle's name until then).
    // Hooks the application installs (AppDelegate::installHooks, src/app/AppDelegateHooks.cpp).
    static void setAppNameProvider(std::function<std::string()> provider);
    // What the application adds to every new main window (its menu bar); runs before it shows.
    static void setWindowDecorator(std::function<void(VLMainWindowController&)> decorate);
    // Told just before a window goes (while its tabs are still there).
    static void setWindowWillClose(std::function<void(VLMainWindowController&)> handler);
    // Hides every window of the application / shows the main windows again.
    static void hideApplication();
    static void unhideApplication();

    VLMainWindow& window() { return *window_; }
    VLTabViewController& tabController() { return *tabController_; }
    VLURLBarField& urlTextField() { return urlTextField_; }
    Gtk::Button& toolbarButton() { return *toolbarButton_; }
    Gtk::ToolButton& preferencesToolbarItem() { return *preferencesToolbarItem_; }
    Gtk::Box& menubarSlot() { return *menubarSlot_; }
    bool toolbarVisible() const { return toolbarVisible_; }

    // Tab controller reports.
    void needChangeUrl(const std::optional<std::string>& url) override;
    void changeLoadStatus(bool loading) override;
    void changeSecureStatus(bool secure) override;
    void newTabWasCreated() override;
    bool needCreateWindowForController(std::unique_ptr<VLWebViewController>& page) override;
    void editUrl() override;
    void toolbarVisibilityChanged(bool visible) override;
    void closeWindow() override;

    // Actions.
    void homeButtonClick() { tabController_->goHome(); }
    void backButtonClick() { tabController_->goBack(); }
    void forwardButtonClick() { tabController_->goForward(); }
    void addTabButtonClick() { tabController_->addNewTab(); }
    void toggleToolbar();
    void openUrl(const std::string& text) { tabController_->openUrl(text); }
    void addBookmark() { tabController_->addBookmarkClick(); }
    void removeBookmark() { tabController_->removeBookmarkClick(); }
    void hidePreferences(bool hide);
    void updateWindowTitlebar();
    void updateWindowColor();

    // The close decision: hide the app, ask, or close. True when the window may close.
    bool windowShouldClose();
    // Closes without asking (the last tab went, or a command closed the window).
    void close();

  private:
    VLMainWindowController(std::unique_ptr<VLMainWindow> window,
                           const Glib::RefPtr<Gtk::Builder>& builder,
                           std::unique_ptr<VLWebViewController> firstPage);
    void windowDidLoad();
    void applyWindowColor(const Color& color);
    void finishClosing();

    std::unique_ptr<VLMainWindow> window_;
    std::unique_ptr<VLTabViewController> tabController_;
    VLURLBarField urlTextField_;
    Gtk::Toolbar* toolbarItems_ = nullptr;
    // The title bar's middle: the toolbar, or the title while the toolbar is hidden.
    Gtk::Stack titleStack_;
    Gtk::Label titleLabel_;
    Gtk::Button* toolbarButton_ = nullptr;
    Gtk::Image* pannelSwitchIcon_ = nullptr;
    Gtk::ToolButton* preferencesToolbarItem_ = nullptr;
    Gtk::Box* menubarSlot_ = nullptr;
    bool toolbarVisible_ = true;
    bool closed_ = false;
    std::vector<NotificationCenter::Observer> observers_;
    AsyncScope async_;
};
