#pragma once

#include <gtkmm/builder.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/popover.h>

#include <memory>

// The popover that removes a bookmark ("RemoveBookmarks" in Main.ui).
class VLBookmarkRemoveViewController : public Gtk::Popover {
  public:
    VLBookmarkRemoveViewController(BaseObjectType* object,
                                   const Glib::RefPtr<Gtk::Builder>& builder);
    static std::unique_ptr<VLBookmarkRemoveViewController> create();

    // Fills the list with the bookmarks' names and selects the first.
    void viewDidLoad();
    void removeClick();
    void cancelClick() { popdown(); }
    Gtk::ComboBoxText& comboBookmarks() { return *comboBookmarks_; }

  private:
    // Keeps the popover alive: nothing else holds it until it is shown.
    Glib::RefPtr<Gtk::Builder> builder_;
    Gtk::ComboBoxText* comboBookmarks_ = nullptr;
};
