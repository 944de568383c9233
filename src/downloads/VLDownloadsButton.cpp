#include "downloads/VLDownloadsButton.h"

#include <glibmm/main.h>

#include "browser/MainInterface.h"
#include "downloads/DownloadProgressSummary.h"
#include "foundation/Log.h"
#include "foundation/NotificationNames.h"

namespace {
// Progress reports reach the rows of the list shown; the button reads the queue on its own.
constexpr unsigned kProgressInterval = 250;
}  // namespace

VLDownloadsButton::VLDownloadsButton(VLDownloadQueue& queue)
    : queue_(queue), icon_("folder-download-symbolic", Gtk::ICON_SIZE_BUTTON) {
    set_tooltip_text("Downloads");
    set_relief(Gtk::RELIEF_NONE);
    progress_.set_valign(Gtk::ALIGN_END);
    progress_.set_size_request(16, -1);
    progress_.get_style_context()->add_class("osd");
    overlay_.add(icon_);
    overlay_.add_overlay(progress_);
    overlay_.show_all();
    progress_.hide();
    add(overlay_);
    try {
        list_ = std::make_unique<VLDownloadViewController>(queue);
        set_popover(list_->popover());
    } catch (const MainInterface::MissingObject& missing) {
        Log::warning("Downloads.ui: ", missing.what());
        set_sensitive(false);
        set_tooltip_text("Downloads (the list's interface file is missing)");
    }
    downloadAdd_ = NotificationCenter::defaultCenter().addObserver(
        notification::downloadAdd, [this](const Notification&) { downloadAdded(); });
    set_no_show_all(true);
    if (queue.operationsArray().empty()) {
        hide();
    } else {
        show();
        downloadAdded();
    }
}

VLDownloadsButton::~VLDownloadsButton() {
    timer_.disconnect();
}

void VLDownloadsButton::downloadAdded() {
    show();
    if (!timer_.connected()) {
        timer_ =
            Glib::signal_timeout().connect([this] { return updateProgress(); }, kProgressInterval);
    }
    updateProgress();
}

bool VLDownloadsButton::updateProgress() {
    const DownloadProgressSummary summary = DownloadProgressSummary::of(queue_.operationsArray());
    if (summary.running == 0) {
        progress_.hide();
        set_tooltip_text("Downloads");
        return false;
    }
    if (summary.fraction) {
        progress_.set_fraction(*summary.fraction);
    } else {
        progress_.pulse();
    }
    progress_.show();
    set_tooltip_text(summary.running == 1
                         ? std::string("Downloads: 1 running")
                         : "Downloads: " + std::to_string(summary.running) + " running");
    return true;
}
