#include "statusbar/TrayItem.h"

#include <gdk/gdkx.h>
#include <gdkmm/pixbuf.h>
#include <glibmm/main.h>

#include "foundation/Log.h"
#include "maintenance_ui/DockTile.h"
#include "statusbar/StatusItemIcon.h"

TrayItem::TrayItem(std::string id, std::string title, Events events, unsigned embedTimeoutMs)
    : id_(std::move(id)),
      title_(std::move(title)),
      events_(std::move(events)),
      embedTimeoutMs_(embedTimeoutMs) {
    tileChanged_ = DockTile::shared().signalChanged().connect([this] { redraw(); });
}

TrayItem::~TrayItem() {
    tileChanged_.disconnect();
    embedTimeout_.disconnect();
    embedded_.disconnect();
    if (fallback_) {
        fallback_->set_visible(false);
    }
}

void TrayItem::show(std::function<void(bool)> done) {
    done_ = std::move(done);
    GErrorPtr error;
    connection_ = GObjectPtr<GDBusConnection>::adopt(
        g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, error.out()));
    if (!connection_) {
        Log::warning("no session bus for the tray item: ", error.message());
        showFallback();
        return;
    }
    item_ = std::make_unique<StatusNotifierItem>(
        connection_.get(), id_, title_,
        StatusNotifierItem::Events{[this](Point at) {
                                       events_.activate(Rect{at, {0, 0}});
                                   },
                                   [this](Point at) { events_.showMenu(at); },
                                   [this](TrayCommand command) { events_.command(command); }});
    redraw();
    item_->registerWithWatcher([this](bool shown) {
        if (shown) {
            finish(true);
        } else {
            showFallback();
        }
    });
}

void TrayItem::showFallback() {
    GdkDisplay* display = gdk_display_get_default();
    if (!display || !GDK_IS_X11_DISPLAY(display)) {
        Log::warningLine("no tray host: no StatusNotifierWatcher, and no X11 system tray here");
        finish(false);
        return;
    }
    fallback_ = Gtk::StatusIcon::create(Glib::ustring("application-x-executable"));
    fallback_->set_title(title_);
    fallback_->set_tooltip_text(title_);
    redraw();
    fallback_->signal_activate().connect([this] {
        Glib::RefPtr<Gdk::Screen> screen;
        Gdk::Rectangle area;
        Gtk::Orientation orientation;
        std::optional<Rect> anchor;
        if (fallback_->get_geometry(screen, area, orientation)) {
            anchor = Rect{{double(area.get_x()), double(area.get_y())},
                          {double(area.get_width()), double(area.get_height())}};
        }
        events_.activate(anchor);
    });
    fallback_->signal_popup_menu().connect(
        [this](guint, guint32) { events_.showMenu(std::nullopt); });
    auto embeddedNow = [this] {
        if (fallback_->is_embedded()) {
            finish(true);
        }
    };
    embedded_ = fallback_->property_embedded().signal_changed().connect(embeddedNow);
    embedTimeout_ = Glib::signal_timeout().connect(
        [this] {
            if (!fallback_->is_embedded()) {
                Log::warning(
                    "no tray host: no StatusNotifierWatcher, and no system tray took the "
                    "icon within ",
                    embedTimeoutMs_ / 1000.0, " seconds");
                fallback_->set_visible(false);
                finish(false);
            }
            return false;
        },
        embedTimeoutMs_);
    embeddedNow();
}

void TrayItem::finish(bool shown) {
    embedTimeout_.disconnect();
    embedded_.disconnect();
    if (done_) {
        std::function<void(bool)> done = std::move(done_);
        done_ = nullptr;
        done(shown);
    }
}

void TrayItem::redraw() {
    const DockTile& tile = DockTile::shared();
    const Image& icon = tile.baseIcon();
    if (item_) {
        item_->setIcon(icon.isValid()
                           ? std::vector<Image>{StatusItemIcon::draw(icon, tile.badge(), 1),
                                                StatusItemIcon::draw(icon, tile.badge(), 2)}
                           : std::vector<Image>{});
    }
    if (fallback_ && icon.isValid()) {
        fallback_->set(Glib::wrap(
            GDK_PIXBUF(g_object_ref(StatusItemIcon::draw(icon, tile.badge(), 2).pixbuf()))));
    }
}
