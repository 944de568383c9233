#pragma once

#include <string>

// Shows a file selected in the desktop's file manager (org.freedesktop.FileManager1 ShowItems);
// where no file manager answers, the folder holding it opens with its default application.
class ShowInFileManager {
  public:
    static void show(const std::string& path);
};
