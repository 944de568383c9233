#pragma once

#include <gtkmm/image.h>
#include <gtkmm/menubutton.h>
#include <gtkmm/overlay.h>
#include <gtkmm/progressbar.h>

#include <memory>

#include "downloads/VLDownloadQueue.h"
#include "downloads/VLDownloadViewController.h"
#include "foundation/NotificationCenter.h"

// The header bar's downloads button: hidden until the first download of the run, then it opens
// the downloads list and, while downloads run, shows their overall progress under its icon.
class VLDownloadsButton : public Gtk::MenuButton {
  public:
    explicit VLDownloadsButton(VLDownloadQueue& queue);
    ~VLDownloadsButton() override;

    // Null when Downloads.ui is missing (the button then only says so in its tooltip).
    VLDownloadViewController* list() { return list_.get(); }
    Gtk::ProgressBar& progressBar() { return progress_; }
    // Reads the queue again; returns whether downloads still run.
    bool updateProgress();

  private:
    void downloadAdded();

    VLDownloadQueue& queue_;
    std::unique_ptr<VLDownloadViewController> list_;
    Gtk::Overlay overlay_;
    Gtk::Image icon_;
    Gtk::ProgressBar progress_;
    sigc::connection timer_;
    NotificationCenter::Observer downloadAdd_;
};
