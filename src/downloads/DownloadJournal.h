#pragma once

#include <string>

// The temporary files of downloads under way, listed in a file of the app's own, so that what
// a crash or a quit leaves behind is removed: at quit and at the next start. Without a list file
// set, nothing is kept. Any thread.
class DownloadJournal {
  public:
    // Where the list is kept; empty keeps none.
    static void setPath(const std::string& path);
    static void add(const std::string& temporaryPath);
    static void remove(const std::string& temporaryPath);
    // Removes every listed file that is still a regular file, and empties the list.
    static void sweep();
};
