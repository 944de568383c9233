#include "browser/VLMainWindow.h"

#include <gtkmm/button.h>

#include <atomic>

#include "browser/Containers.h"
#include "browser/MainInterface.h"
#include "foundation/NotificationNames.h"
#include "maintenance/ColorString.h"
#include "stores/VLSettingsManager.h"

VLMainWindow::VLMainWindow(BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>& builder)
    : Gtk::ApplicationWindow(object), css_(Gtk::CssProvider::create()) {
    headerBar_ = &MainInterface::require<Gtk::HeaderBar>(builder, "toolbar");
    buttonWrapperView_ = &MainInterface::require<Gtk::EventBox>(builder, "buttonWrapperView");
    toolbarSlot_ = &MainInterface::require<Gtk::Box>(builder, "toolbarSlot");
    static std::atomic<int> counter{0};
    set_name("sitebox-window-" + std::to_string(++counter));
    Gtk::StyleContext::add_provider_for_screen(get_screen(), css_,
                                               GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);

    MainInterface::require<Gtk::Button>(builder, "closeWindowButton")
        .signal_clicked()
        .connect([this] { close(); });
    MainInterface::require<Gtk::Button>(builder, "minimizeWindowButton")
        .signal_clicked()
        .connect([this] { iconify(); });
    MainInterface::require<Gtk::Button>(builder, "zoomWindowButton")
        .signal_clicked()
        .connect([this] {
            if (is_maximized()) {
                unmaximize();
            } else {
                maximize();
            }
        });
    buttonWrapperView_->add_events(Gdk::ENTER_NOTIFY_MASK | Gdk::LEAVE_NOTIFY_MASK);
    buttonWrapperView_->set_opacity(0);
    buttonWrapperView_->signal_enter_notify_event().connect([this](GdkEventCrossing*) {
        buttonWrapperView_->set_opacity(1);
        return false;
    });
    buttonWrapperView_->signal_leave_notify_event().connect([this](GdkEventCrossing* event) {
        // Moving onto a button inside the group is not leaving it.
        if (event->detail != GDK_NOTIFY_INFERIOR) {
            buttonWrapperView_->set_opacity(0);
        }
        return false;
    });

    titlebarObserver_ = NotificationCenter::defaultCenter().addObserver(
        "TitlebarVisibilityChangeNotification", [this](const Notification& n) {
            if (n.info<bool>(notification::titlebarVisibilityKey).value_or(false)) {
                updateWindowButtons();
            } else {
                resetButtons();
            }
        });
    if (VLSettingsManager::sharedManager().hideTitlebar()) {
        updateWindowButtons();
    } else {
        resetButtons();
    }
}

VLMainWindow::~VLMainWindow() {
    Gtk::StyleContext::remove_provider_for_screen(get_screen(), css_);
}

void VLMainWindow::placeHeaderBar(bool inContent) {
    GtkWidget* header = GTK_WIDGET(headerBar_->gobj());
    const bool isTitlebar = gtk_window_get_titlebar(GTK_WINDOW(gobj())) == header;
    if (inContent == !isTitlebar) {
        return;
    }
    g_object_ref(header);  // kept while it changes parent
    if (inContent) {
        gtk_window_set_titlebar(GTK_WINDOW(gobj()), nullptr);
        toolbarSlot_->pack_start(*headerBar_, Gtk::PACK_SHRINK);
    } else {
        Containers::remove(*toolbarSlot_, *headerBar_);
        gtk_window_set_titlebar(GTK_WINDOW(gobj()), header);
    }
    g_object_unref(header);
    headerBar_->show();
}

void VLMainWindow::updateWindowButtons() {
    hoverGroup_ = true;
    // Without a title bar the toolbar moves into the content, under the hover group.
    placeHeaderBar(true);
    set_decorated(false);
    headerBar_->set_show_close_button(false);
    buttonWrapperView_->set_opacity(0);
    buttonWrapperView_->show();
}

void VLMainWindow::resetButtons() {
    hoverGroup_ = false;
    placeHeaderBar(false);
    set_decorated(true);
    headerBar_->set_show_close_button(true);
    buttonWrapperView_->hide();
}

void VLMainWindow::setWindowColor(const Color& color) {
    color_ = color;
    applyStyle();
}

void VLMainWindow::applyStyle() {
    const std::string id = "#" + get_name();
    const std::string background = cssRgba(color_);
    const std::string text = colorIsLight(color_) ? "#1e1e1e" : "#f6f6f6";
    // The window buttons' hover group is 70 by 22: small, flat buttons.
    const std::string css = id + ", " + id + " headerbar { background-color: " + background +
                            "; background-image: none; }\n" + id + " headerbar .title, " + id +
                            " headerbar .subtitle { color: " + text + "; }\n" + id +
                            " .sitebox-window-buttons button { min-height: 0; min-width: 0; "
                            "padding: 2px; margin: 0; }\n";
    try {
        css_->load_from_data(css);
    } catch (const Glib::Error&) {
        // The text is ours and always valid; nothing to do if the theme engine disagrees.
    }
}
