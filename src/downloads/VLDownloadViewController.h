#pragma once

#include <gtkmm/builder.h>
#include <gtkmm/listbox.h>
#include <gtkmm/popover.h>

#include <memory>
#include <vector>

#include "downloads/VLDownloadCell.h"
#include "downloads/VLDownloadQueue.h"
#include "foundation/NotificationCenter.h"

// The downloads list (Downloads.ui's "DownloadsPopover"): one row per operation of the queue,
// reloaded when a download is added ("downloadAdd") and each time the list shows, so the rows
// shown are the ones that receive the operations' progress.
class VLDownloadViewController {
  public:
    // Throws MainInterface::MissingObject when the interface lacks the list.
    explicit VLDownloadViewController(VLDownloadQueue& queue);
    ~VLDownloadViewController();
    VLDownloadViewController(const VLDownloadViewController&) = delete;
    VLDownloadViewController& operator=(const VLDownloadViewController&) = delete;

    Gtk::Popover& popover() { return *popover_; }
    void reloadData();
    size_t numberOfRows() const { return cells_.size(); }
    VLDownloadCell& cellAt(size_t row) { return *cells_.at(row); }
    // A click on a row: never selects; a finished download opens with its default application.
    void shouldSelectRow(size_t row);

  private:
    VLDownloadQueue& downloadQueue_;
    Glib::RefPtr<Gtk::Builder> builder_;
    Gtk::Popover* popover_ = nullptr;
    Gtk::ListBox* downloadTableView_ = nullptr;
    std::vector<std::shared_ptr<VLDownloadCell>> cells_;
    NotificationCenter::Observer downloadAdd_;
};
