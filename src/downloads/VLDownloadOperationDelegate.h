#pragma once

// Receives a download's reports on the main thread (the downloads list's row for it). The
// operation holds it weakly.
class VLDownloadOperationDelegate {
  public:
    virtual ~VLDownloadOperationDelegate() = default;
    // Percent received, after each piece of the body.
    virtual void downloadProgress(double percent) = 0;
    // The transfer is over (completed, failed or cancelled); optional.
    virtual void downloadFinished() {}
};
