#include "foundation/FileTree.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace {
std::string failure(const std::string& what, const std::string& path, const std::error_code& e) {
    return what + " " + path + ": " + e.message();
}

std::string errnoFailure(const std::string& what, const std::string& path) {
    return failure(what, path, std::error_code(errno, std::generic_category()));
}

// A name beside `path` that no other run uses.
std::string besideName(const std::string& path, const char* tag) {
    static unsigned counter = 0;
    return path + "." + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
}

void syncPath(const std::string& path, bool folder) {
    int fd = ::open(path.c_str(), (folder ? O_RDONLY | O_DIRECTORY : O_RDONLY) | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

std::string parentOf(const std::string& path) {
    fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? "." : parent.string();
}

std::string copyFileSynced(const std::string& from, const std::string& to) {
    std::error_code error;
    fs::copy_file(from, to, fs::copy_options::none, error);
    if (error) {
        return failure("cannot copy to", to, error);
    }
    syncPath(to, false);
    return {};
}

// Swaps two existing names in one step; false where the file system cannot.
bool exchange(const std::string& a, const std::string& b) {
    return ::syscall(SYS_renameat2, AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    if (fs::file_size(a, error) != fs::file_size(b, error) || error) {
        return false;
    }
    std::ifstream left(a, std::ios::binary), right(b, std::ios::binary);
    std::vector<char> x(1 << 16), y(1 << 16);
    while (left && right) {
        left.read(x.data(), std::streamsize(x.size()));
        right.read(y.data(), std::streamsize(y.size()));
        if (left.gcount() != right.gcount() ||
            !std::equal(x.begin(), x.begin() + left.gcount(), y.begin())) {
            return false;
        }
    }
    return !left.bad() && !right.bad() && left.eof() && right.eof();
}

std::vector<std::string> namesIn(const std::string& folder, std::error_code& error) {
    std::vector<std::string> names;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}
}  // namespace

std::string FileTree::copy(const std::string& from, const std::string& to) {
    std::error_code error;
    fs::create_directories(parentOf(to), error);
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
    if (error) {
        return failure("cannot copy " + from + " to", to, error);
    }
    return {};
}

std::string FileTree::replaceFile(const std::string& from, const std::string& to) {
    const std::string beside = besideName(to, "new");
    if (std::string error = copyFileSynced(from, beside); !error.empty()) {
        remove(beside);
        return error;
    }
    if (::rename(beside.c_str(), to.c_str()) != 0) {
        std::string error = errnoFailure("cannot rename into", to);
        remove(beside);
        return error;
    }
    syncPath(parentOf(to), true);
    return {};
}

std::string FileTree::replaceFolder(const std::string& from, const std::string& to) {
    const std::string beside = besideName(to, "new");
    if (std::string error = copy(from, beside); !error.empty()) {
        remove(beside);
        return error;
    }
    syncPath(beside, true);
    std::error_code error;
    if (!fs::exists(fs::symlink_status(to, error))) {
        if (::rename(beside.c_str(), to.c_str()) != 0) {
            std::string why = errnoFailure("cannot rename into", to);
            remove(beside);
            return why;
        }
    } else if (exchange(beside, to)) {
        // `beside` now holds the old folder.
    } else {
        // Without an exchange the old folder steps aside first: `to` is missing only between
        // two renames.
        const std::string old = besideName(to, "old");
        if (::rename(to.c_str(), old.c_str()) != 0) {
            std::string why = errnoFailure("cannot move aside", to);
            remove(beside);
            return why;
        }
        if (::rename(beside.c_str(), to.c_str()) != 0) {
            std::string why = errnoFailure("cannot rename into", to);
            ::rename(old.c_str(), to.c_str());
            remove(beside);
            return why;
        }
        remove(old);
        syncPath(parentOf(to), true);
        return {};
    }
    syncPath(parentOf(to), true);
    remove(beside);
    return {};
}

std::string FileTree::remove(const std::string& path) {
    std::error_code error;
    fs::remove_all(path, error);
    if (error) {
        return failure("cannot remove", path, error);
    }
    return {};
}

bool FileTree::sameContent(const std::string& a, const std::string& b) {
    std::error_code error;
    const fs::file_status left = fs::symlink_status(a, error);
    const fs::file_status right = fs::symlink_status(b, error);
    if (error || left.type() != right.type()) {
        return false;
    }
    switch (left.type()) {
        case fs::file_type::regular:
            return sameFile(a, b);
        case fs::file_type::symlink:
            return fs::read_symlink(a, error) == fs::read_symlink(b, error) && !error;
        case fs::file_type::directory: {
            std::vector<std::string> names = namesIn(a, error);
            if (error || names != namesIn(b, error) || error) {
                return false;
            }
            return std::all_of(names.begin(), names.end(), [&](const std::string& name) {
                return sameContent(a + "/" + name, b + "/" + name);
            });
        }
        default:
            return false;
    }
}
