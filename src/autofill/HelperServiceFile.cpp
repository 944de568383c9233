#include "autofill/HelperServiceFile.h"

#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>

#include "foundation/Files.h"
#include "foundation/Log.h"
#include "foundation/Paths.h"
#include "helper/CorvaInterfaces.h"

namespace {
// The bus splits Exec= like a shell: quote paths with blanks (apps are often named "My Site").
// Its service-file reader rejects any backslash, so single quotes do all the quoting; a quote
// in the path closes them for a double-quoted one: 'It'"'"'s'.
std::string quoted(const std::string& path) {
    if (path.find_first_not_of(
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/._-+") ==
        std::string::npos) {
        return path;
    }
    std::string text = "'";
    for (char c : path) {
        text += c == '\'' ? std::string("'\"'\"'") : std::string(1, c);
    }
    return text + "'";
}

std::optional<time_t> modificationSeconds(const std::string& file) {
    struct stat info {};
    if (stat(file.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return info.st_mtime;
}

// The bus re-reads a service file it knows only when its modification time, in whole seconds,
// has grown: a file rewritten within the same second would keep the old Exec= line.
void makeNewerThan(const std::string& file, std::optional<time_t> previous) {
    std::optional<time_t> now = modificationSeconds(file);
    if (!previous || !now || *now > *previous) {
        return;
    }
    struct timespec times[2] = {{0, UTIME_OMIT}, {*previous + 1, 0}};
    if (utimensat(AT_FDCWD, file.c_str(), times, 0) != 0) {
        Log::warning("cannot set the time of ", file, "; the bus may keep starting another helper");
    }
}
}  // namespace

std::string HelperServiceFile::path() {
    return Paths::join(Paths::dataHome(),
                       std::string("dbus-1/services/") + CorvaInterfaces::kBusName + ".service");
}

std::optional<std::string> HelperServiceFile::contents(const std::string& helperPath) {
    if (helperPath.empty() || helperPath.front() != '/' ||
        helperPath.find_first_of("\r\n\\") != std::string::npos ||
        !g_utf8_validate(helperPath.data(), static_cast<gssize>(helperPath.size()), nullptr)) {
        return std::nullopt;
    }
    return std::string("[D-BUS Service]\nName=") + CorvaInterfaces::kBusName +
           "\nExec=" + quoted(helperPath) + "\n";
}

HelperServiceFile::Result HelperServiceFile::install(const std::string& helperPath) {
    std::optional<std::string> text = contents(helperPath);
    if (!text) {
        Log::warning("cannot describe the helper \"", helperPath, "\" to the session bus");
        return Result::failed;
    }
    std::string file = path();
    Files::ReadResult current = Files::read(file);
    if (current.ok() && current.data == *text) {
        return Result::unchanged;
    }
    std::optional<time_t> previous = modificationSeconds(file);
    std::string folder = file.substr(0, file.rfind('/'));
    std::string error = Files::createDirectories(folder);
    if (error.empty()) {
        error = Files::writeAtomically(file, *text, Files::kSharedFile);
    }
    if (!error.empty()) {
        Log::warning("cannot write ", file, ": ", error);
        return Result::failed;
    }
    makeNewerThan(file, previous);
    return Result::written;
}
