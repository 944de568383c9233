#include "browser/VLBookmarkView.h"

#include <glibmm/main.h>
#include <gtkmm/button.h>

VLBookmarkView::VLBookmarkView() : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 8) {
    set_margin_start(8);
    get_style_context()->add_class("sitebox-bookmarks");
}

void VLBookmarkView::setBookmarks(std::vector<std::string> names) {
    bookmarks_ = std::move(names);
    Glib::signal_idle().connect_once([this] { reloadData(); });
}

void VLBookmarkView::reloadData() {
    for (Gtk::Widget* child : get_children()) {
        delete child;  // leaves the bar as it goes; the bar made it
    }
    for (const std::string& name : bookmarks_) {
        auto* button = Gtk::manage(new Gtk::Button(name));
        button->set_relief(Gtk::RELIEF_NONE);
        button->get_style_context()->add_class("flat");
        button->signal_clicked().connect([this, name] {
            if (openBookmark_) {
                openBookmark_(name);
            }
        });
        pack_start(*button, Gtk::PACK_SHRINK);
    }
    show_all();
}

std::vector<std::string> VLBookmarkView::buttonTitles() const {
    std::vector<std::string> titles;
    for (const Gtk::Widget* child : get_children()) {
        if (auto* button = dynamic_cast<const Gtk::Button*>(child)) {
            titles.push_back(button->get_label());
        }
    }
    return titles;
}
