#pragma once

#include <string>

class VLDownloadOperation;

// What the downloads list shows of one download: a running row has its progress bar and cancel
// button; a finished one its status text, and a show-in-folder button only when the file is there.
class DownloadRowState {
  public:
    enum class Kind { Running, Done, Canceled, Failed };

    explicit DownloadRowState(Kind kind) : kind_(kind) {}
    // Cancelled, else failed, else done at 100 percent or once the transfer completed.
    static DownloadRowState of(const VLDownloadOperation& operation);

    Kind kind() const { return kind_; }
    // "Downloaded", "Canceled" or "Failed"; empty while running.
    std::string statusText() const;
    bool showsProgress() const { return kind_ == Kind::Running; }
    bool showsCancel() const { return kind_ == Kind::Running; }
    bool showsStatus() const { return kind_ != Kind::Running; }
    bool showsBytes() const { return kind_ == Kind::Running || kind_ == Kind::Done; }
    // Only a completed download has a file to show or open.
    bool showsInFolder() const { return kind_ == Kind::Done; }
    bool opensOnClick() const { return kind_ == Kind::Done; }

  private:
    Kind kind_;
};
