#include "browser/ContentBlockerNotice.h"

#include "browser/ContentBlocker.h"

ContentBlockerNotice::ContentBlockerNotice()
    : Gtk::Label("Preparing the ad-blocking list for its first use\u2026") {
    set_no_show_all(true);
    set_margin_top(4);
    set_margin_bottom(4);
    observer_ = NotificationCenter::defaultCenter().addObserver(
        ContentBlocker::kCompilingNotification, [this](const Notification&) { update(); });
    update();
}

void ContentBlockerNotice::update() {
    set_visible(ContentBlocker::shared().compiling());
}
