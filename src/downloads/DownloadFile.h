#pragma once

#include <string>
#include <string_view>

// The file a download is written to: a temporary file beside the destination that receives the
// body piece by piece and is renamed over the destination at the end, so the destination never
// holds a partial body. Whatever has not been committed is removed when the object goes away.
// Failures come back as text for the caller's log line.
class DownloadFile {
  public:
    explicit DownloadFile(std::string path);
    ~DownloadFile();
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;

    // Creates the temporary file; empty on success.
    std::string open();
    // Appends to the temporary file; empty on success. On failure the temporary file is gone.
    std::string append(std::string_view data);
    // Flushes the temporary file to disk and renames it to the destination; empty on success.
    // On failure the temporary file is gone and the destination is as it was.
    std::string commit();
    // Removes the temporary file (nothing happens after a commit).
    void discard();

    const std::string& path() const { return path_; }
    // Empty when no temporary file exists.
    const std::string& temporaryPath() const { return temporaryPath_; }
    bool committed() const { return committed_; }

  private:
    std::string fail(const std::string& what, int error);

    std::string path_;
    std::string temporaryPath_;
    int fd_ = -1;
    bool committed_ = false;
};
