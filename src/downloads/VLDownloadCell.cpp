#include "downloads/VLDownloadCell.h"

#include <algorithm>

#include "browser/MainInterface.h"
#include "browser/Workspace.h"
#include "downloads/ShowInFileManager.h"
#include "foundation/GObjectPtr.h"
#include "foundation/Log.h"

VLDownloadCell::VLDownloadCell(const Glib::RefPtr<Gtk::Builder>& builder,
                               std::shared_ptr<VLDownloadOperation> operation)
    : builder_(builder), operation_(std::move(operation)) {
    view_ = &MainInterface::require<Gtk::Widget>(builder, "DownloadCell");
    fileName_ = &MainInterface::require<Gtk::Label>(builder, "fileNameField");
    progressIndicator_ = &MainInterface::require<Gtk::ProgressBar>(builder, "progressIndicator");
    downloadStatus_ = &MainInterface::require<Gtk::Label>(builder, "downloadStatus");
    downloadedBytes_ = &MainInterface::require<Gtk::Label>(builder, "downloadedBytes");
    showInFinderButton_ = &MainInterface::require<Gtk::Button>(builder, "showInFinderButton");
    cancelDownloadButton_ = &MainInterface::require<Gtk::Button>(builder, "cancelDownloadButton");
    cancelDownloadButton_->signal_clicked().connect([this] { cancelDownload(); });
    showInFinderButton_->signal_clicked().connect([this] { showButtonClick(); });

    const auto& name = operation_->fileName();
    fileName_->set_text(name && !name->empty() ? *name : operation_->url());
    fileName_->set_tooltip_text(fileName_->get_text());
    showState();
}

void VLDownloadCell::downloadProgress(double) {
    showState();
}

void VLDownloadCell::downloadFinished() {
    showState();
}

void VLDownloadCell::cancelDownload() {
    operation_->cancelDownload();
    showState();
}

void VLDownloadCell::showButtonClick() {
    if (state().showsInFolder()) {
        ShowInFileManager::show(operation_->path());
    }
}

bool VLDownloadCell::openFile() {
    if (!state().opensOnClick()) {
        return false;
    }
    GCharPtr uri(g_filename_to_uri(operation_->path().c_str(), nullptr, nullptr));
    if (!uri) {
        Log::warningLine("cannot open a download whose path is not a file name");
        return false;
    }
    Workspace::shared().openUrl(uri.get(), false, nullptr);
    return true;
}

void VLDownloadCell::showState() {
    const DownloadRowState state = this->state();
    const double percent = operation_->getProgress();
    // An unknown length gives no percentage: the bar pulses instead.
    if (percent >= 0 && percent <= 100) {
        progressIndicator_->set_fraction(percent / 100);
    } else {
        progressIndicator_->pulse();
    }
    progressIndicator_->set_visible(state.showsProgress());
    downloadStatus_->set_text(state.statusText());
    downloadStatus_->set_visible(state.showsStatus());
    GCharPtr bytes(
        g_format_size(static_cast<guint64>(std::max<int64_t>(0, operation_->downloaded()))));
    downloadedBytes_->set_text(bytes.get());
    downloadedBytes_->set_visible(state.showsBytes());
    cancelDownloadButton_->set_visible(state.showsCancel());
    showInFinderButton_->set_visible(state.showsInFolder());
}
