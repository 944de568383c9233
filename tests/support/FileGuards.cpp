#include "FileGuards.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {
bool setImmutable(const std::string& path, bool on) {
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) {
        return false;
    }
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}
}  // namespace

UnwritableFolder::UnwritableFolder(std::string path) : path_(std::move(path)) {
    if (::geteuid() == 0) {
        immutable_ = setImmutable(path_, true);
        active_ = immutable_;
    } else {
        active_ = ::chmod(path_.c_str(), 0555) == 0;
    }
    if (active_) {
        // Check that the folder really refuses a new file.
        std::string probe = path_ + "/.probe";
        int fd = ::open(probe.c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0) {
            ::close(fd);
            ::unlink(probe.c_str());
            active_ = false;
        }
    }
}

UnwritableFolder::~UnwritableFolder() {
    if (immutable_) {
        setImmutable(path_, false);
    } else {
        ::chmod(path_.c_str(), 0755);
    }
}

FileSizeLimit::FileSizeLimit(long bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0) {
        previousSoft_ = limit.rlim_cur;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        active_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
}

FileSizeLimit::~FileSizeLimit() {
    if (active_) {
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = previousSoft_;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
}

std::string readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFileBytes(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

size_t countFilesIn(const std::string& folder) {
    size_t count = 0;
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        ++count;
    }
    return count;
}

bool runInKilledChild(const std::function<void()>& body) {
    pid_t pid = fork();
    if (pid == 0) {
        body();
        raise(SIGKILL);
    }
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFSIGNALED(status) &&
           WTERMSIG(status) == SIGKILL;
}
