#pragma once

#include <gtkmm/builder.h>
#include <gtkmm/button.h>
#include <gtkmm/entry.h>
#include <gtkmm/popover.h>

#include <memory>
#include <string>

// The popover that adds a bookmark ("AddBookmarks" in Main.ui): the name is proposed from the
// page's title, or its address when the page has none.
class VLBookmarkViewController : public Gtk::Popover {
  public:
    VLBookmarkViewController(BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>& builder);
    // A new popover from the bundle's Main.ui.
    static std::unique_ptr<VLBookmarkViewController> create();

    void setUrl(const std::string& url) { url_ = url; }
    void setName(const std::string& name) { name_ = name; }
    // Fills the name field (once url and name are given).
    void viewDidLoad();
    void okClick();
    void cancelClick() { popdown(); }
    Gtk::Entry& nameTextField() { return *nameTextField_; }

  private:
    // Keeps the popover alive: nothing else holds it until it is shown.
    Glib::RefPtr<Gtk::Builder> builder_;
    Gtk::Entry* nameTextField_ = nullptr;
    std::string url_;
    std::string name_;
};
