#include "preferences/VLWhiteListViewController.h"

#include <glibmm/main.h>
#include <gtkmm/cellrenderertext.h>

#include "browser/MainInterface.h"
#include "preferences/ListRows.h"
#include "rules/VLWhiteListManager.h"
#include "stores/VLBehaviorManager.h"

namespace {
std::string trimmed(const std::string& text) {
    const char* blanks = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}
}  // namespace

VLWhiteListViewController::VLWhiteListViewController()
    : builder_(MainInterface::builderFromFile("WhiteList.ui", {"WhiteListView", "patternStore"})) {
    view_ = &MainInterface::require<Gtk::Widget>(builder_, "WhiteListView");
    allowAllRadio_ = &MainInterface::require<Gtk::RadioButton>(builder_, "allowAllRadio");
    allowPatternsRadio_ = &MainInterface::require<Gtk::RadioButton>(builder_, "allowPatternsRadio");
    allowPopUp_ = &MainInterface::require<Gtk::ComboBoxText>(builder_, "allowPopUp");
    allowSubdomainsCheck_ =
        &MainInterface::require<Gtk::CheckButton>(builder_, "allowSubdomainsCheck");
    patternTable_ = &MainInterface::require<Gtk::TreeView>(builder_, "patternTable");
    patterns_ = Glib::RefPtr<Gtk::ListStore>::cast_dynamic(builder_->get_object("patternStore"));
    if (!patterns_) {
        throw MainInterface::MissingObject("patternStore");
    }
    addButton_ = &MainInterface::require<Gtk::Button>(builder_, "addPatternButton");
    removeButton_ = &MainInterface::require<Gtk::Button>(builder_, "removePatternButton");
    auto& openInBackground =
        MainInterface::require<Gtk::CheckButton>(builder_, "openInBackgroundCheck");
    loadValues();

    VLWhiteListManager& whitelist = VLWhiteListManager::sharedManager();
    allowAllRadio_->signal_toggled().connect([this, &whitelist] {
        if (loading_) {
            return;
        }
        const bool all = allowAllRadio_->get_active();
        whitelist.setAllowAll(all);
        enableList(!all);
    });
    allowPopUp_->signal_changed().connect([this, &whitelist] {
        if (!loading_) {
            whitelist.setAllowPatterns(allowPopUp_->get_active_row_number() == 0);
            enableList(!allowAllRadio_->get_active());
        }
    });
    allowSubdomainsCheck_->signal_toggled().connect([this, &whitelist] {
        if (!loading_) {
            whitelist.setAllowSubdomains(allowSubdomainsCheck_->get_active());
        }
    });
    openInBackground.signal_toggled().connect([this, &openInBackground] {
        if (!loading_) {
            VLBehaviorManager::sharedManager().setOpenOtherAppInBackground(
                openInBackground.get_active());
        }
    });
    addButton_->signal_clicked().connect([this] { add(); });
    removeButton_->signal_clicked().connect([this] { remove(); });
    auto& cell = MainInterface::require<Gtk::CellRendererText>(builder_, "patternCell");
    cell.signal_edited().connect([this](const Glib::ustring& path, const Glib::ustring& text) {
        patternEdited(path, text);
    });
    cell.signal_editing_canceled().connect([this] {
        // A new row left empty goes again.
        Gtk::TreeModel::iterator row = patternTable_->get_selection()->get_selected();
        if (row) {
            dropEmptyRow(Gtk::TreeModel::Path(row).to_string());
        }
    });
}

VLWhiteListViewController::~VLWhiteListViewController() = default;

void VLWhiteListViewController::loadValues() {
    loading_ = true;
    VLWhiteListManager& whitelist = VLWhiteListManager::sharedManager();
    reloadPatterns(std::nullopt);
    MainInterface::require<Gtk::CheckButton>(builder_, "openInBackgroundCheck")
        .set_active(VLBehaviorManager::sharedManager().openOtherAppInBackground());
    (whitelist.allowAll() ? allowAllRadio_ : allowPatternsRadio_)->set_active(true);
    allowSubdomainsCheck_->set_active(whitelist.allowSubdomains());
    allowPopUp_->set_active(whitelist.allowPatterns() ? 0 : 1);
    enableList(!whitelist.allowAll());
    loading_ = false;
}

void VLWhiteListViewController::enableList(bool enabled) {
    for (Gtk::Widget* widget : std::initializer_list<Gtk::Widget*>{patternTable_, addButton_,
                                                                   removeButton_, allowPopUp_}) {
        widget->set_sensitive(enabled);
    }
    // Subdomains widen an allowed site only.
    allowSubdomainsCheck_->set_sensitive(enabled && allowPopUp_->get_active_row_number() == 0);
}

void VLWhiteListViewController::reloadPatterns(const std::optional<std::string>& select) {
    patterns_->clear();
    int index = 0;
    int selected = -1;
    for (const std::string& pattern : VLWhiteListManager::sharedManager().patterns()) {
        ListRows::setText(patterns_, patterns_->append(), 0, pattern);
        if (select && pattern == *select) {
            selected = index;
        }
        ++index;
    }
    if (selected >= 0) {
        ListRows::selectNear(*patternTable_, selected);
    }
}

void VLWhiteListViewController::add() {
    ListRows::setText(patterns_, patterns_->append(), 0, "");
    const int row = static_cast<int>(patterns_->children().size()) - 1;
    ListRows::selectNear(*patternTable_, row);
    ListRows::edit(*patternTable_, row, 0);
}

void VLWhiteListViewController::patternEdited(const Glib::ustring& path,
                                              const Glib::ustring& text) {
    Gtk::TreeModel::iterator row = patterns_->get_iter(path);
    if (!row) {
        return;
    }
    const std::string old = ListRows::text(patterns_, row, 0);
    const std::string pattern = trimmed(text);
    if (pattern.empty()) {
        // Blank entries are not added; an existing pattern keeps its text.
        dropEmptyRow(path);
        return;
    }
    VLWhiteListManager& whitelist = VLWhiteListManager::sharedManager();
    if (!old.empty() && old != pattern) {
        whitelist.removePattern(old);  // the row shows one pattern: the edited text replaces it
    }
    whitelist.addPattern(pattern);
    reloadPatterns(pattern);
}

void VLWhiteListViewController::dropEmptyRow(const Glib::ustring& path) {
    Gtk::TreeModel::iterator row = patterns_->get_iter(path);
    if (row && ListRows::text(patterns_, row, 0).empty()) {
        patterns_->erase(row);
    }
}

void VLWhiteListViewController::remove() {
    const int index = ListRows::selectedIndex(*patternTable_);
    if (index < 0) {
        return;
    }
    Gtk::TreeModel::iterator row = patterns_->get_iter(std::to_string(index));
    const std::string pattern = ListRows::text(patterns_, row, 0);
    if (!pattern.empty()) {
        VLWhiteListManager::sharedManager().removePattern(pattern);
    }
    patterns_->erase(row);
    ListRows::selectNear(*patternTable_, index);
}

void VLWhiteListViewController::viewDidDisappear() {
    VLWhiteListManager::sharedManager().savePatterns();
    VLBehaviorManager::sharedManager().save();
}
