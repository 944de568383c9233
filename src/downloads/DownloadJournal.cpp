#include "downloads/DownloadJournal.h"

#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <set>

#include "foundation/JsonFile.h"
#include "foundation/Log.h"
#include "foundation/NoDestructor.h"

namespace {
struct Journal {
    std::mutex mutex;
    std::string path;
    std::set<std::string> files;

    void write() {
        if (path.empty()) {
            return;
        }
        if (std::string error = JsonFile::save(path, nlohmann::json(files)); !error.empty()) {
            Log::warning("the list of partial downloads was not saved: ", error);
        }
    }
};

Journal& journal() {
    static NoDestructor<Journal> shared;  // used until the very end of the process
    return *shared;
}
}  // namespace

void DownloadJournal::setPath(const std::string& path) {
    Journal& j = journal();
    std::lock_guard lock(j.mutex);
    j.path = path;
    j.files.clear();
    if (path.empty()) {
        return;
    }
    if (auto listed = JsonFile::loadDocument(path, JsonFile::Kind::Array)) {
        for (const auto& item : *listed) {
            if (item.is_string() && !item.get_ref<const std::string&>().empty() &&
                item.get_ref<const std::string&>().front() == '/') {
                j.files.insert(item.get<std::string>());
            }
        }
    }
}

void DownloadJournal::add(const std::string& temporaryPath) {
    Journal& j = journal();
    std::lock_guard lock(j.mutex);
    if (j.files.insert(temporaryPath).second) {
        j.write();
    }
}

void DownloadJournal::remove(const std::string& temporaryPath) {
    Journal& j = journal();
    std::lock_guard lock(j.mutex);
    if (j.files.erase(temporaryPath) > 0) {
        j.write();
    }
}

void DownloadJournal::sweep() {
    Journal& j = journal();
    std::lock_guard lock(j.mutex);
    if (j.files.empty()) {
        return;
    }
    for (const std::string& file : j.files) {
        // Only files: a list that names a folder or a device is not ours to act on.
        struct stat info {};
        if (::lstat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            if (::unlink(file.c_str()) == 0) {
                Log::line("removed a partial download left behind");
            } else {
                Log::warningLine("a partial download could not be removed");
            }
        }
    }
    j.files.clear();
    j.write();
}
