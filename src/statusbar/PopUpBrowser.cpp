#include "statusbar/PopUpBrowser.h"

#include <glibmm/main.h>
#include <gtkmm/application.h>
#include <gtkmm/scrolledwindow.h>

#include <cmath>

#include "browser/Containers.h"
#include "browser/VLMainWindowController.h"
#include "foundation/NotificationCenter.h"
#include "statusbar/PopupGeometry.h"
#include "stores/VLBehaviorManager.h"

PopUpBrowser::PopUpBrowser() {
    window_.set_decorated(false);
    window_.set_skip_taskbar_hint(true);
    window_.set_skip_pager_hint(true);
    window_.set_keep_above(true);
    window_.set_type_hint(Gdk::WINDOW_TYPE_HINT_UTILITY);
    window_.add(overlay_);
    overlay_.add_overlay(handle_);
    overlay_.show();
    handle_.show();
    size_ = VLBehaviorManager::sharedManager().popOverSize();
    window_.set_default_size(static_cast<int>(size_.width), static_cast<int>(size_.height));
    handle_.signalDragged().connect([this](double dx, double dy) { resizeBy(dx, dy); });
    window_.property_is_active().signal_changed().connect([this] { activeChanged(); });
    // The application's shortcuts (reload, find, new tab) work in the popup too. Unlike
    // add_window, this keeps the popup with the application while it is hidden.
    if (auto app = Glib::RefPtr<Gtk::Application>::cast_dynamic(Gtk::Application::get_default())) {
        window_.set_application(app);
    }
}

PopUpBrowser::~PopUpBrowser() {
    focusCheck_.disconnect();
    releaseContent();
}

void PopUpBrowser::setContent(VLMainWindowController& controller) {
    releaseContent();
    Gtk::Widget* child = controller.window().get_child();
    if (!child) {
        return;
    }
    controller_ = &controller;
    content_ = GObjectPtr<GtkWidget>::retain(child->gobj());
    Containers::remove(controller.window(), *child);
    overlay_.add(*child);
    // A tray app has no menu bar of its own; the tray icon's menu stands in for it.
    for (Gtk::Widget* widget = &controller.menubarSlot(); widget && widget != child;
         widget = widget->get_parent()) {
        if (dynamic_cast<Gtk::ScrolledWindow*>(widget)) {
            menuBar_ = widget;
            menuBar_->hide();
        }
    }
}

void PopUpBrowser::releaseContent() {
    if (!controller_) {
        return;
    }
    Gtk::Widget* child = Glib::wrap(content_.get());
    Containers::remove(overlay_, *child);
    controller_->window().add(*child);
    if (menuBar_) {
        menuBar_->show();
    }
    menuBar_ = nullptr;
    content_.reset();
    controller_ = nullptr;
}

Rect PopUpBrowser::workArea() const {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = nullptr;
    if (anchor_) {
        monitor = gdk_display_get_monitor_at_point(display, static_cast<int>(anchor_->origin.x),
                                                   static_cast<int>(anchor_->origin.y));
    }
    if (!monitor) {
        monitor = gdk_display_get_primary_monitor(display);
    }
    if (!monitor && gdk_display_get_n_monitors(display) > 0) {
        monitor = gdk_display_get_monitor(display, 0);
    }
    if (!monitor) {
        return Rect{{0, 0}, {1280, 800}};
    }
    GdkRectangle area;
    gdk_monitor_get_workarea(monitor, &area);
    return Rect{{double(area.x), double(area.y)}, {double(area.width), double(area.height)}};
}

void PopUpBrowser::place() {
    // Wayland gives windows no say over their place: the compositor puts it.
    const Point origin = PopupGeometry::place(anchor_, size_, workArea());
    window_.move(static_cast<int>(std::lround(origin.x)), static_cast<int>(std::lround(origin.y)));
}

void PopUpBrowser::show(const std::optional<Rect>& anchor) {
    if (anchor) {
        anchor_ = anchor;
    }
    window_.resize(static_cast<int>(size_.width), static_cast<int>(size_.height));
    place();
    window_.present();
    place();
}

void PopUpBrowser::close() {
    window_.hide();
}

void PopUpBrowser::resizeBy(double dx, double dy) {
    size_ = PopupGeometry::resized(size_, dx, dy, workArea().size.width);
    window_.resize(static_cast<int>(size_.width), static_cast<int>(size_.height));
    place();
    VLBehaviorManager& behavior = VLBehaviorManager::sharedManager();
    behavior.setPopOverWidth(static_cast<unsigned long>(size_.width));
    behavior.setPopOverHeight(static_cast<unsigned long>(size_.height));
    behavior.save();
}

void PopUpBrowser::activeChanged() {
    if (window_.is_active()) {
        return;
    }
    // Judged once the focus has settled: a menu or dialog of the app over the popup (a context
    // menu, a select box, a file chooser) takes the focus without the user leaving it.
    focusCheck_.disconnect();
    focusCheck_ = Glib::signal_idle().connect([this] {
        if (window_.is_active() || !window_.get_visible() || gtk_grab_get_current()) {
            return false;
        }
        for (Gtk::Window* other : Gtk::Window::list_toplevels()) {
            if (other->get_transient_for() == &window_ && other->is_active()) {
                return false;
            }
        }
        close();
        return false;
    });
}
