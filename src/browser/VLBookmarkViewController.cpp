#include "browser/VLBookmarkViewController.h"

#include "browser/MainInterface.h"
#include "foundation/NotificationCenter.h"
#include "foundation/NotificationNames.h"
#include "stores/VLBookmarksManager.h"

VLBookmarkViewController::VLBookmarkViewController(BaseObjectType* object,
                                                   const Glib::RefPtr<Gtk::Builder>& builder)
    : Gtk::Popover(object), builder_(builder) {
    nameTextField_ = &MainInterface::require<Gtk::Entry>(builder, "addBookmarkName");
    MainInterface::require<Gtk::Button>(builder, "addBookmarkOk").signal_clicked().connect([this] {
        okClick();
    });
    MainInterface::require<Gtk::Button>(builder, "addBookmarkCancel")
        .signal_clicked()
        .connect([this] { cancelClick(); });
    nameTextField_->signal_activate().connect([this] { okClick(); });
}

std::unique_ptr<VLBookmarkViewController> VLBookmarkViewController::create() {
    return MainInterface::instantiate<VLBookmarkViewController>("AddBookmarks");
}

void VLBookmarkViewController::viewDidLoad() {
    nameTextField_->set_text(name_.empty() ? url_ : name_);
}

void VLBookmarkViewController::okClick() {
    const std::string name = nameTextField_->get_text();
    if (name.empty()) {
        return;  // nothing to file a bookmark under
    }
    VLBookmarksManager::sharedManager().addBookMark(name, url_);
    popdown();
    NotificationCenter::defaultCenter().post(notification::showBookmark);
}
