#include "statusbar/DockMonitor.h"

#include <glibmm/main.h>
#include <gtkmm/overlay.h>

#include <memory>
#include <utility>

#include "browser/VLMainWindowController.h"
#include "browser/VLTabViewController.h"
#include "browser/VLWebViewController.h"
#include "foundation/Log.h"
#include "maintenance_ui/DockTile.h"
#include "statusbar/RegionIcon.h"

DockMonitor::DockMonitor(std::function<VLMainWindowController*()> topController, MenuItems menu)
    : topController_(std::move(topController)), menu_(std::move(menu)) {
    setTitle(kStartTitle);
    menu_.setEditItemHidden(true);
}

DockMonitor::~DockMonitor() {
    dockMonitorTimer_.disconnect();
    selectionView_.reset();
    unwatch();
}

void DockMonitor::setTitle(const std::string& title) {
    title_ = title;
    menu_.setTitle(title);
}

void DockMonitor::toggleDockMonitor() {
    if (monitoring_) {
        stopDockMonitor();
        setTitle(kStartTitle);
        menu_.setEditItemHidden(true);
        dropSelection();
        unwatch();
        return;
    }
    if (selectionView_ && title_ == kCancelTitle) {
        setTitle(kStartTitle);
        dropSelection();
        unwatch();
        // The square was shown while it was drawn; a cancelled one leaves no trace.
        ++generation_;
        DockTile::shared().setLiveImage(Image());
        return;
    }
    if (!watchSelectedPage()) {
        return;
    }
    dockMonitorRect_ = Rect{};
    openSelection(std::nullopt);
    setTitle(kCancelTitle);
}

void DockMonitor::editDockMonitor() {
    if (!watchSelectedPage()) {
        return;
    }
    menu_.setEditItemHidden(true);
    openSelection(dockMonitorRect_);
}

bool DockMonitor::watchSelectedPage() {
    VLMainWindowController* top = topController_();
    VLWebViewController* page = top ? top->tabController().selectedWebViewController() : nullptr;
    if (!page) {
        Log::warningLine("dock monitor: there is no page to watch");
        return false;
    }
    WebKitWebView* view = page->webview().webView();
    if (view == dockMonitorView_) {
        return true;
    }
    unwatch();
    dockMonitorView_ = view;
    pageGoneHandler_ = g_signal_connect(view, "destroy", G_CALLBACK(pageGone), this);
    followVisibility();
    return true;
}

void DockMonitor::unwatch() {
    for (sigc::connection& connection : visibility_) {
        connection.disconnect();
    }
    visibility_.clear();
    if (dockMonitorView_) {
        g_signal_handler_disconnect(dockMonitorView_, pageGoneHandler_);
    }
    dockMonitorView_ = nullptr;
}

void DockMonitor::pageGone(GtkWidget*, DockMonitor* self) {
    // The watched tab or its window closed: nothing is left to show.
    Log::line("dock monitor: the watched page closed");
    self->stopDockMonitor();
    self->setTitle(kStartTitle);
    self->menu_.setEditItemHidden(true);
    self->dropSelection();
    self->unwatch();
}

void DockMonitor::followVisibility() {
    Gtk::Widget* page = Glib::wrap(GTK_WIDGET(dockMonitorView_));
    auto changed = [this] {
        if (monitoring_) {
            startDockMonitor();
        }
    };
    visibility_.push_back(page->signal_map().connect(changed));
    visibility_.push_back(page->signal_unmap().connect(changed));
    if (auto* window = dynamic_cast<Gtk::Window*>(page->get_toplevel())) {
        visibility_.push_back(
            window->signal_window_state_event().connect([changed](GdkEventWindowState*) {
                changed();
                return false;
            }));
    }
}

bool DockMonitor::pageSeen() const {
    if (!dockMonitorView_ || !gtk_widget_get_mapped(GTK_WIDGET(dockMonitorView_))) {
        return false;
    }
    GdkWindow* window =
        gtk_widget_get_window(gtk_widget_get_toplevel(GTK_WIDGET(dockMonitorView_)));
    return window && !(gdk_window_get_state(window) & GDK_WINDOW_STATE_ICONIFIED);
}

void DockMonitor::openSelection(const std::optional<Rect>& rect) {
    dropSelection();
    Gtk::Widget* page = Glib::wrap(GTK_WIDGET(dockMonitorView_));
    Gtk::Overlay* overlay = nullptr;
    for (Gtk::Widget* parent = page->get_parent(); parent && !overlay;
         parent = parent->get_parent()) {
        overlay = dynamic_cast<Gtk::Overlay*>(parent);
    }
    if (!overlay) {
        Log::warningLine("dock monitor: the page is in no main window");
        return;
    }
    selectionView_ = std::make_unique<VLDockMonitorSelectionView>(*this, rect);
    selectionView_->addTo(*overlay, *page);
}

void DockMonitor::dropSelection() {
    selectionView_.reset();
}

void DockMonitor::selectionDidChanged(const Rect& rect) {
    dockMonitorRect_ = rect;
    updateDockMonitor();
}

void DockMonitor::selectionDidEnded() {
    if (dockMonitorRect_.size.width != 0) {
        setTitle(kStopTitle);
        startDockMonitor();
    }
}

void DockMonitor::selectionEditingDidEnded() {
    menu_.setEditItemHidden(false);
}

void DockMonitor::startDockMonitor() {
    dockMonitorTimer_.disconnect();
    monitoring_ = true;
    if (!pageSeen()) {
        return;  // resumed by the page's showing again
    }
    updateDockMonitor();
    dockMonitorTimer_ = Glib::signal_timeout().connect(
        [this] {
            updateDockMonitor();
            return true;
        },
        kIntervalMs);
}

void DockMonitor::stopDockMonitor() {
    dockMonitorTimer_.disconnect();
    monitoring_ = false;
    ++generation_;  // a capture still under way must not bring its image back
    captureAgain_ = false;
    DockTile::shared().setLiveImage(Image());
}

void DockMonitor::updateDockMonitor() {
    if (!pageSeen()) {
        return;
    }
    if (capturing_) {
        captureAgain_ = true;  // the square moved while a capture was under way
        return;
    }
    capturing_ = true;
    const Rect region = dockMonitorRect_;
    auto [callback, data] = async_.callback(
        [this, region, generation = generation_](GObject* source, GAsyncResult* result) {
            capturing_ = false;
            GErrorPtr error;
            std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
                webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(source), result, error.out()),
                cairo_surface_destroy);
            // A failed or empty capture leaves the icon as it was.
            if (!AsyncScope::failed(error.get(), "dock monitor capture") && surface &&
                generation == generation_) {
                if (std::optional<Image> icon = RegionIcon::fromSnapshot(surface.get(), region);
                    icon && icon->pixelWidth() > 0) {
                    DockTile::shared().setLiveImage(*icon);
                }
            }
            if (std::exchange(captureAgain_, false)) {
                updateDockMonitor();
            }
        });
    webkit_web_view_get_snapshot(dockMonitorView_, WEBKIT_SNAPSHOT_REGION_VISIBLE,
                                 WEBKIT_SNAPSHOT_OPTIONS_NONE, async_.cancellable(), callback,
                                 data);
}
