#pragma once

#include <gtkmm/box.h>

#include <functional>
#include <string>
#include <vector>

// The bookmarks bar: one button per bookmark, 8 pixels apart; a click opens the bookmark in the
// selected tab.
class VLBookmarkView : public Gtk::Box {
  public:
    VLBookmarkView();

    // Keeps the names and rebuilds the buttons once the current event is done.
    void setBookmarks(std::vector<std::string> names);
    const std::vector<std::string>& bookmarks() const { return bookmarks_; }
    void reloadData();
    // The titles of the buttons shown, in order.
    std::vector<std::string> buttonTitles() const;

    void setOpenBookmark(std::function<void(const std::string& name)> open) {
        openBookmark_ = std::move(open);
    }

  private:
    std::vector<std::string> bookmarks_;
    std::function<void(const std::string&)> openBookmark_;
};
