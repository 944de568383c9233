#pragma once

#include <gtkmm/window.h>
#include <webkit2/webkit2.h>

#include <functional>
#include <memory>
#include <string>

#include "foundation/AsyncScope.h"
#include "foundation/Geometry.h"
#include "statusbar/VLDockMonitorSelectionView.h"

class VLMainWindowController;

// The dock monitor: the user marks a square of the page over the frontmost main window, and
// from then on the application's icon shows that square, captured every 2 seconds, with the
// unread badge over it. Idle ("Start Dock Monitor"), selecting ("Cancel Dock Monitor") and
// monitoring ("Stop Dock Monitor") are told by the menu item's title. Capturing pauses while the
// page cannot be seen (its window hidden or minimised, another tab on top).
class DockMonitor : public VLDockMonitorSelectionViewDelegate {
  public:
    static constexpr const char* kStartTitle = "Start Dock Monitor";
    static constexpr const char* kCancelTitle = "Cancel Dock Monitor";
    static constexpr const char* kStopTitle = "Stop Dock Monitor";
    static constexpr unsigned kIntervalMs = 2000;

    // What the monitor changes in the menus: the item's title, the edit item's visibility.
    struct MenuItems {
        std::function<void(const std::string& title)> setTitle;
        std::function<void(bool hidden)> setEditItemHidden;
    };

    DockMonitor(std::function<VLMainWindowController*()> topController, MenuItems menu);
    ~DockMonitor() override;
    DockMonitor(const DockMonitor&) = delete;
    DockMonitor& operator=(const DockMonitor&) = delete;

    void toggleDockMonitor();
    void editDockMonitor();
    void selectionDidChanged(const Rect& rect) override;
    void selectionDidEnded() override;
    void selectionEditingDidEnded() override;
    void startDockMonitor();
    void stopDockMonitor();
    void updateDockMonitor();

    const std::string& title() const { return title_; }
    bool monitoring() const { return monitoring_; }
    const Rect& dockMonitorRect() const { return dockMonitorRect_; }
    VLDockMonitorSelectionView* selectionView() const { return selectionView_.get(); }

  private:
    void setTitle(const std::string& title);
    bool watchSelectedPage();
    void unwatch();
    void openSelection(const std::optional<Rect>& rect);
    void dropSelection();
    bool pageSeen() const;
    void followVisibility();
    static void pageGone(GtkWidget*, DockMonitor* self);

    std::function<VLMainWindowController*()> topController_;
    MenuItems menu_;
    std::string title_;
    Rect dockMonitorRect_;
    WebKitWebView* dockMonitorView_ = nullptr;
    gulong pageGoneHandler_ = 0;
    std::vector<sigc::connection> visibility_;
    std::unique_ptr<VLDockMonitorSelectionView> selectionView_;
    bool monitoring_ = false;
    sigc::connection dockMonitorTimer_;
    bool capturing_ = false;
    bool captureAgain_ = false;
    unsigned generation_ = 0;
    AsyncScope async_;
};
