#include "preferences/VLShortcutViewController.h"

#include <gtkmm/button.h>
#include <gtkmm/cellrenderertext.h>

#include "browser/MainInterface.h"
#include "preferences/ListRows.h"
#include "stores/VLShortcutManager.h"

VLShortcutViewController::VLShortcutViewController()
    : builder_(MainInterface::builderFromFile("Shortcuts.ui", {"ShortcutsView", "shortcutStore"})) {
    view_ = &MainInterface::require<Gtk::Widget>(builder_, "ShortcutsView");
    shortcutTable_ = &MainInterface::require<Gtk::TreeView>(builder_, "shortcutTable");
    rows_ = Glib::RefPtr<Gtk::ListStore>::cast_dynamic(builder_->get_object("shortcutStore"));
    if (!rows_) {
        throw MainInterface::MissingObject("shortcutStore");
    }
    VLShortcutManager& store = VLShortcutManager::sharedManager();
    const std::vector<std::string> shortcuts = store.shortcuts();
    const std::vector<std::string> urls = store.urls();
    for (size_t i = 0; i < shortcuts.size(); ++i) {
        Gtk::TreeModel::iterator row = rows_->append();
        ListRows::setText(rows_, row, 0, shortcuts[i]);
        ListRows::setText(rows_, row, 1, i < urls.size() ? urls[i] : "");
    }
    int column = 0;
    for (const char* id : {"CellShortcut", "CellUrl"}) {
        MainInterface::require<Gtk::CellRendererText>(builder_, id)
            .signal_edited()
            .connect([this, column](const Glib::ustring& path, const Glib::ustring& text) {
                cellEdited(column, path, text);
            });
        ++column;
    }
    MainInterface::require<Gtk::Button>(builder_, "addShortcutButton")
        .signal_clicked()
        .connect([this] { add(); });
    MainInterface::require<Gtk::Button>(builder_, "removeShortcutButton")
        .signal_clicked()
        .connect([this] { remove(); });
}

VLShortcutViewController::~VLShortcutViewController() = default;

void VLShortcutViewController::add() {
    Gtk::TreeModel::iterator row = rows_->append();
    ListRows::setText(rows_, row, 0, "");
    ListRows::setText(rows_, row, 1, "");
    const int index = static_cast<int>(rows_->children().size()) - 1;
    ListRows::selectNear(*shortcutTable_, index);
    ListRows::edit(*shortcutTable_, index, 0);
}

void VLShortcutViewController::remove() {
    const int index = ListRows::selectedIndex(*shortcutTable_);
    if (index < 0) {
        return;
    }
    rows_->erase(rows_->get_iter(std::to_string(index)));
    ListRows::selectNear(*shortcutTable_, index);
}

void VLShortcutViewController::cellEdited(int column, const Glib::ustring& path,
                                          const Glib::ustring& text) {
    if (Gtk::TreeModel::iterator row = rows_->get_iter(path)) {
        ListRows::setText(rows_, row, column, text);
    }
}

void VLShortcutViewController::viewDidDisappear() {
    VLShortcutManager& store = VLShortcutManager::sharedManager();
    store.clearShortcuts();
    // Every row, empty ones included: the store decides what it keeps.
    for (auto row = rows_->children().begin(); row != rows_->children().end(); ++row) {
        store.setShortCut(ListRows::text(rows_, row, 0), ListRows::text(rows_, row, 1));
    }
    store.saveJson();
}
