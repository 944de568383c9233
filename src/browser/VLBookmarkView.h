#pragma once

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/scrolledwindow.h>

#include <functional>
#include <string>
#include <vector>

// The bookmarks bar: one button per bookmark, 8 pixels apart; a click opens the bookmark in the
// selected tab. Bookmarks beyond the window's width scroll sideways instead of widening it.
class VLBookmarkView : public Gtk::ScrolledWindow {
  public:
    VLBookmarkView();
    ~VLBookmarkView() override;

    // Keeps the names and rebuilds the buttons once the current event is done.
    void setBookmarks(std::vector<std::string> names);
    const std::vector<std::string>& bookmarks() const { return bookmarks_; }
    void reloadData();
    // The buttons shown, in order, and their titles.
    std::vector<Gtk::Button*> buttons();
    std::vector<std::string> buttonTitles();

    void setOpenBookmark(std::function<void(const std::string& name)> open) {
        openBookmark_ = std::move(open);
    }

  private:
    Gtk::Box buttons_{Gtk::ORIENTATION_HORIZONTAL, 8};
    std::vector<std::string> bookmarks_;
    std::function<void(const std::string&)> openBookmark_;
    sigc::connection pendingReload_;
};
