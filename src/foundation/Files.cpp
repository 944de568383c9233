#include "foundation/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {
std::string errnoText(const std::string& what, const std::string& path, int error) {
    return what + " " + path + ": " + std::strerror(error);
}

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_;
};

std::string parentOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}
}  // namespace

Files::ReadResult Files::read(const std::string& path, size_t maxBytes) {
    ReadResult result;
    // Non-blocking open: opening a FIFO would otherwise wait for a writer.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        result.error = errnoText("cannot open", path, errno);
        return result;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        result.error = errnoText("cannot read", path, errno);
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.error = "cannot read " + path + ": not a regular file";
        return result;
    }
    auto tooLarge = [&] {
        result.error =
            "cannot read " + path + ": larger than " + std::to_string(maxBytes) + " bytes";
        result.data.clear();
        return result;
    };
    if (static_cast<unsigned long long>(info.st_size) > maxBytes) {
        return tooLarge();
    }
    ::fcntl(fd.get(), F_SETFL, 0);
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            result.error = errnoText("cannot read", path, errno);
            result.data.clear();
            return result;
        }
        if (n == 0) {
            break;
        }
        result.data.append(buffer, static_cast<size_t>(n));
        if (result.data.size() > maxBytes) {
            return tooLarge();  // it grew while being read
        }
    }
    return result;
}

std::string Files::writeAtomically(const std::string& path, std::string_view data, mode_t mode) {
    std::string tmpl = path + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    Fd fd(::mkostemp(name.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        return errnoText("cannot create temporary file for", path, errno);
    }
    const std::string tmpPath(name.data());
    auto fail = [&](const std::string& what) {
        int error = errno;
        ::close(fd.release());
        ::unlink(tmpPath.c_str());
        return errnoText(what, path, error);
    };
    if (mode != kPrivateFile && ::fchmod(fd.get(), mode) != 0) {
        return fail("cannot set mode of");
    }
    const char* cursor = data.data();
    size_t left = data.size();
    while (left > 0) {
        ssize_t n = ::write(fd.get(), cursor, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail("cannot write");
        }
        cursor += n;
        left -= static_cast<size_t>(n);
    }
    if (::fsync(fd.get()) != 0) {
        return fail("cannot sync");
    }
    if (::close(fd.release()) != 0) {
        int error = errno;
        ::unlink(tmpPath.c_str());
        return errnoText("cannot close", path, error);
    }
    if (::rename(tmpPath.c_str(), path.c_str()) != 0) {
        int error = errno;
        ::unlink(tmpPath.c_str());
        return errnoText("cannot rename into", path, error);
    }
    // Make the rename itself durable.
    Fd dir(::open(parentOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) {
        ::fsync(dir.get());
    }
    return {};
}

std::string Files::createDirectories(const std::string& path, std::optional<mode_t> mode) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error) {
        return "cannot create folder " + path + ": " + error.message();
    }
    struct stat info;
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return "cannot create folder " + path + ": not a folder";
    }
    // Callers ask on every use of a folder: only a wrong mode costs a metadata write.
    if (mode && (info.st_mode & 07777) != *mode && ::chmod(path.c_str(), *mode) != 0) {
        return errnoText("cannot set mode of", path, errno);
    }
    return {};
}

bool Files::exists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

bool Files::isDirectory(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<std::string> Files::extendedAttribute(const std::string& path, const char* name) {
    ssize_t size = ::getxattr(path.c_str(), name, nullptr, 0);
    if (size < 0) {
        return std::nullopt;
    }
    std::string value(static_cast<size_t>(size), '\0');
    if (size > 0) {
        ssize_t read = ::getxattr(path.c_str(), name, value.data(), value.size());
        if (read < 0) {
            return std::nullopt;
        }
        value.resize(static_cast<size_t>(read));
    }
    return value;
}
