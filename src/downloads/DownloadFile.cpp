#include "downloads/DownloadFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "downloads/DownloadJournal.h"

namespace {
std::string folderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Read from the kernel: umask() would change the mask under the other threads.
mode_t currentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
        }
    }
    return 022;
}

int makeTemporary(const std::string& pattern, std::string& madePath) {
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) {
        madePath = name.data();
    }
    return fd;
}
}  // namespace

DownloadFile::DownloadFile(std::string path) : path_(std::move(path)) {}

DownloadFile::~DownloadFile() {
    discard();
}

std::string DownloadFile::open() {
    if (fd_ >= 0 || committed_) {
        return "download file " + path_ + " is already open";
    }
    fd_ = makeTemporary(path_ + ".XXXXXX", temporaryPath_);
    if (fd_ < 0 && errno == ENAMETOOLONG) {
        // A name at the length limit has no room for the suffix.
        fd_ = makeTemporary(folderOf(path_) + "/.download-XXXXXX", temporaryPath_);
    }
    if (fd_ < 0) {
        return fail("cannot create a temporary file for", errno);
    }
    DownloadJournal::add(temporaryPath_);
    // mkostemp makes 0600; a download gets the mode any new file of the user gets.
    if (::fchmod(fd_, 0666 & ~currentUmask()) != 0) {
        return fail("cannot set the mode of the temporary file for", errno);
    }
    return {};
}

std::string DownloadFile::append(std::string_view data) {
    if (fd_ < 0) {
        return "download file " + path_ + " is not open";
    }
    const char* cursor = data.data();
    size_t left = data.size();
    while (left > 0) {
        ssize_t written = ::write(fd_, cursor, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail("cannot write", errno);
        }
        cursor += written;
        left -= static_cast<size_t>(written);
    }
    return {};
}

std::string DownloadFile::commit() {
    if (fd_ < 0) {
        return "download file " + path_ + " is not open";
    }
    if (::fsync(fd_) != 0) {
        return fail("cannot sync", errno);
    }
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        return fail("cannot close", errno);
    }
    if (::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
        return fail("cannot rename the download into", errno);
    }
    DownloadJournal::remove(temporaryPath_);
    temporaryPath_.clear();
    committed_ = true;
    // Makes the rename itself durable.
    int folder = ::open(folderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return {};
}

void DownloadFile::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporaryPath_.empty()) {
        ::unlink(temporaryPath_.c_str());
        DownloadJournal::remove(temporaryPath_);
        temporaryPath_.clear();
    }
}

std::string DownloadFile::fail(const std::string& what, int error) {
    discard();
    return what + " " + path_ + ": " + std::strerror(error);
}
