#include "browser/VLBookmarkRemoveViewController.h"

#include <gtkmm/button.h>

#include "browser/MainInterface.h"
#include "foundation/NotificationCenter.h"
#include "foundation/NotificationNames.h"
#include "stores/VLBookmarksManager.h"

VLBookmarkRemoveViewController::VLBookmarkRemoveViewController(
    BaseObjectType* object, const Glib::RefPtr<Gtk::Builder>& builder)
    : Gtk::Popover(object), builder_(builder) {
    comboBookmarks_ = &MainInterface::require<Gtk::ComboBoxText>(builder, "removeBookmarkList");
    MainInterface::require<Gtk::Button>(builder, "removeBookmarkRemove")
        .signal_clicked()
        .connect([this] { removeClick(); });
    MainInterface::require<Gtk::Button>(builder, "removeBookmarkCancel")
        .signal_clicked()
        .connect([this] { cancelClick(); });
}

std::unique_ptr<VLBookmarkRemoveViewController> VLBookmarkRemoveViewController::create() {
    return MainInterface::instantiate<VLBookmarkRemoveViewController>("RemoveBookmarks");
}

void VLBookmarkRemoveViewController::viewDidLoad() {
    comboBookmarks_->remove_all();
    for (const std::string& name : VLBookmarksManager::sharedManager().bookmarks()) {
        comboBookmarks_->append(name);
    }
    if (comboBookmarks_->get_model()->children().size() > 0) {
        comboBookmarks_->set_active(0);
    }
}

void VLBookmarkRemoveViewController::removeClick() {
    const int selected = comboBookmarks_->get_active_row_number();
    if (selected < 0) {
        return;  // nothing chosen: the popover stays
    }
    const std::string name = comboBookmarks_->get_active_text();
    comboBookmarks_->remove_text(selected);
    VLBookmarksManager::sharedManager().removeBookmark(name);
    popdown();
    NotificationCenter::defaultCenter().post(notification::showBookmark);
}
