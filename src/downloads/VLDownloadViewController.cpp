#include "downloads/VLDownloadViewController.h"

#include "browser/Containers.h"
#include "browser/MainInterface.h"
#include "foundation/Log.h"
#include "foundation/NotificationNames.h"

namespace {
constexpr const char* kInterface = "Downloads.ui";
}

VLDownloadViewController::VLDownloadViewController(VLDownloadQueue& queue)
    : downloadQueue_(queue),
      builder_(MainInterface::builderFromFile(kInterface, {"DownloadsPopover"})) {
    popover_ = &MainInterface::require<Gtk::Popover>(builder_, "DownloadsPopover");
    downloadTableView_ = &MainInterface::require<Gtk::ListBox>(builder_, "downloadTableView");
    downloadTableView_->signal_row_activated().connect(
        [this](Gtk::ListBoxRow* row) { shouldSelectRow(static_cast<size_t>(row->get_index())); });
    popover_->signal_show().connect([this] { reloadData(); });
    downloadAdd_ = NotificationCenter::defaultCenter().addObserver(
        notification::downloadAdd, [this](const Notification&) { reloadData(); });
    reloadData();
}

VLDownloadViewController::~VLDownloadViewController() = default;

void VLDownloadViewController::reloadData() {
    cells_.clear();
    Containers::removeChildren(*downloadTableView_);
    for (const auto& operation : downloadQueue_.operationsArray()) {
        auto builder = MainInterface::builderFromFile(kInterface, {"DownloadCell"});
        try {
            auto cell = std::make_shared<VLDownloadCell>(builder, operation);
            operation->setDelegate(cell);
            downloadTableView_->append(cell->view());
            cells_.push_back(std::move(cell));
        } catch (const MainInterface::MissingObject& missing) {
            Log::warning(kInterface, ": ", missing.what());
            return;
        }
    }
}

void VLDownloadViewController::shouldSelectRow(size_t row) {
    if (row < cells_.size()) {
        cells_[row]->openFile();
    }
    downloadTableView_->unselect_all();
}
