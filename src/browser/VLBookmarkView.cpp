#include "browser/VLBookmarkView.h"

#include <glibmm/main.h>

VLBookmarkView::VLBookmarkView() {
    set_policy(Gtk::POLICY_EXTERNAL, Gtk::POLICY_NEVER);
    set_propagate_natural_height(true);
    buttons_.set_margin_start(8);
    get_style_context()->add_class("sitebox-bookmarks");
    add(buttons_);
}

VLBookmarkView::~VLBookmarkView() {
    // A rebuild still waiting must not run on a bar that is gone.
    pendingReload_.disconnect();
}

void VLBookmarkView::setBookmarks(std::vector<std::string> names) {
    bookmarks_ = std::move(names);
    pendingReload_.disconnect();
    pendingReload_ = Glib::signal_idle().connect([this] {
        reloadData();
        return false;
    });
}

void VLBookmarkView::reloadData() {
    for (Gtk::Widget* child : buttons_.get_children()) {
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
        buttons_.pack_start(*button, Gtk::PACK_SHRINK);
    }
    show_all();
}

std::vector<Gtk::Button*> VLBookmarkView::buttons() {
    std::vector<Gtk::Button*> list;
    for (Gtk::Widget* child : buttons_.get_children()) {
        if (auto* button = dynamic_cast<Gtk::Button*>(child)) {
            list.push_back(button);
        }
    }
    return list;
}

std::vector<std::string> VLBookmarkView::buttonTitles() {
    std::vector<std::string> titles;
    for (Gtk::Button* button : buttons()) {
        titles.push_back(button->get_label());
    }
    return titles;
}
