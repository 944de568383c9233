#pragma once

#include <string>

// Copies and replacements of files and folders that never leave a half-written item in place:
// the new content is written beside the old under a temporary name, synced, then renamed over
// it. Failures come back as text for the caller's log line; nothing throws.
class FileTree {
  public:
    // Copies a file or a whole folder (files, folders, symbolic links as links, permissions) to
    // `to`, which must not exist yet (its parent folders are made). Returns an empty string on
    // success, otherwise the error.
    static std::string copy(const std::string& from, const std::string& to);

    // Puts a copy of the file `from` at `to` (which may exist) with `from`'s permissions.
    static std::string replaceFile(const std::string& from, const std::string& to);

    // Puts a copy of the folder `from` at `to` (which may exist): the copy is made beside `to`
    // and swapped with it in one step where the file system allows, so `to` is never missing.
    static std::string replaceFolder(const std::string& from, const std::string& to);

    // Removes a file or a folder with everything in it; a missing item is no error.
    static std::string remove(const std::string& path);

    // True when both are files of equal bytes, or folders holding the same names with equal
    // content; unreadable items count as different.
    static bool sameContent(const std::string& a, const std::string& b);
};
