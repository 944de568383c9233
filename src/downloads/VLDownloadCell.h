#pragma once

#include <gtkmm/builder.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>
#include <gtkmm/progressbar.h>

#include <memory>

#include "downloads/DownloadRowState.h"
#include "downloads/VLDownloadOperation.h"
#include "downloads/VLDownloadOperationDelegate.h"

// One row of the downloads list, made from Downloads.ui's "DownloadCell": the download's name,
// progress, bytes received and state, with cancel and show-in-folder buttons. It is the
// operation's delegate while it is the newest row made for it.
class VLDownloadCell : public VLDownloadOperationDelegate {
  public:
    // Throws MainInterface::MissingObject when the interface lacks a part of the row.
    VLDownloadCell(const Glib::RefPtr<Gtk::Builder>& builder,
                   std::shared_ptr<VLDownloadOperation> operation);

    Gtk::Widget& view() { return *view_; }
    const std::shared_ptr<VLDownloadOperation>& operation() const { return operation_; }
    DownloadRowState state() const { return DownloadRowState::of(*operation_); }

    void downloadProgress(double percent) override;
    void downloadFinished() override;
    void cancelDownload();
    void showButtonClick();
    // Opens the downloaded file with its default application when the download is done.
    bool openFile();

  private:
    void showState();

    Glib::RefPtr<Gtk::Builder> builder_;
    std::shared_ptr<VLDownloadOperation> operation_;
    Gtk::Widget* view_ = nullptr;
    Gtk::Label* fileName_ = nullptr;
    Gtk::ProgressBar* progressIndicator_ = nullptr;
    Gtk::Label* downloadStatus_ = nullptr;
    Gtk::Label* downloadedBytes_ = nullptr;
    Gtk::Button* showInFinderButton_ = nullptr;
    Gtk::Button* cancelDownloadButton_ = nullptr;
};
