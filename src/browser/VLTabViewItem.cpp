#include "browser/VLTabViewItem.h"

#include "browser/Containers.h"
#include "browser/VLWebViewController.h"

VLTabViewItem::VLTabViewItem(std::unique_ptr<VLWebViewController> controller,
                             std::function<void(VLTabViewItem&)> close)
    : controller_(std::move(controller)) {
    icon_.set_size_request(16, 16);
    icon_.set_no_show_all(true);
    title_.set_ellipsize(Pango::ELLIPSIZE_END);
    title_.set_max_width_chars(20);
    title_.set_width_chars(8);
    title_.set_text(kNewTabLabel);
    close_.set_relief(Gtk::RELIEF_NONE);
    close_.set_focus_on_click(false);
    close_.set_image_from_icon_name("window-close-symbolic", Gtk::ICON_SIZE_MENU);
    close_.set_tooltip_text("Close Tab");
    close_.signal_clicked().connect([this, close = std::move(close)] { close(*this); });
    labelBox_.pack_start(icon_, Gtk::PACK_SHRINK);
    labelBox_.pack_start(title_, Gtk::PACK_EXPAND_WIDGET);
    labelBox_.pack_start(close_, Gtk::PACK_SHRINK);
    labelBox_.show_all();
    attachPage();
}

VLTabViewItem::~VLTabViewItem() {
    Containers::removeChildren(page_);
}

void VLTabViewItem::attachPage() {
    controller_->setItem(this);
    page_.pack_start(notice_, Gtk::PACK_SHRINK);
    page_.pack_start(controller_->progress(), Gtk::PACK_SHRINK);
    page_.pack_start(controller_->searchBar(), Gtk::PACK_SHRINK);
    page_.pack_start(controller_->webview().widget(), Gtk::PACK_EXPAND_WIDGET);
    controller_->webview().widget().show();
    page_.show();
}

void VLTabViewItem::setLabel(const std::string& label) {
    title_.set_text(label);
    title_.set_tooltip_text(label);
}

void VLTabViewItem::setIcon(GdkPixbuf* icon) {
    if (!icon) {
        icon_.clear();
        icon_.hide();
        return;
    }
    GdkPixbuf* scaled = gdk_pixbuf_scale_simple(icon, 16, 16, GDK_INTERP_BILINEAR);
    icon_.set(Glib::wrap(scaled));  // takes the new reference
    icon_.show();
}
