#pragma once

#include <functional>
#include <string>

// Makes a folder refuse new files for the guard's lifetime. As root, permission bits do not
// stop writes, so the immutable attribute is used there; `active()` is false when neither
// works on this file system.
class UnwritableFolder {
  public:
    explicit UnwritableFolder(std::string path);
    ~UnwritableFolder();
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;
    bool active() const { return active_; }

  private:
    std::string path_;
    bool active_ = false;
    bool immutable_ = false;
};

// Limits the size of files this process may write (as a full disk would), for the guard's
// lifetime; writes past the limit fail with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    unsigned long previousSoft_ = 0;
    bool active_ = false;
};

// Whole files as bytes, and the number of entries in a folder.
std::string readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::string& bytes);
size_t countFilesIn(const std::string& folder);

// Runs `body` in a child process that is then killed with SIGKILL, as a crash ends the app: no
// exit path runs. True when the child died that way.
bool runInKilledChild(const std::function<void()>& body);
