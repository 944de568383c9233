#include "preferences/VLUserScriptsViewController.h"

#include <glibmm/main.h>
#include <gtkmm/button.h>
#include <gtkmm/cellrenderertext.h>
#include <gtkmm/cellrenderertoggle.h>
#include <gtkmm/scrolledwindow.h>
#include <gtksourceview/gtksource.h>

#include <algorithm>

#include "browser/MainInterface.h"
#include "foundation/GObjectPtr.h"
#include "foundation/Log.h"
#include "preferences/ListRows.h"
#include "rules/VLScriptsManager.h"

namespace {
// Columns of both tables: the on/off state, then the name.
constexpr int kState = 0;
constexpr int kName = 1;

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

int rowOf(const Glib::ustring& path) {
    return Gtk::TreeModel::Path(path)[0];
}
}  // namespace

VLUserScriptsViewController::VLUserScriptsViewController()
    : VLUserScriptsViewController(VLScriptsManager::sharedManager(), "js") {}

VLUserScriptsViewController::VLUserScriptsViewController(VLScriptsManager& manager,
                                                         const char* language)
    : manager_(manager),
      builder_(MainInterface::builderFromFile("UserRules.ui",
                                              {"UserRulesView", "ruleStore", "patternStore"})) {
    view_ = &MainInterface::require<Gtk::Widget>(builder_, "UserRulesView");
    ruleTable_ = &MainInterface::require<Gtk::TreeView>(builder_, "ruleTable");
    patternTable_ = &MainInterface::require<Gtk::TreeView>(builder_, "patternTable");
    ruleStore_ = Glib::RefPtr<Gtk::ListStore>::cast_dynamic(builder_->get_object("ruleStore"));
    patternStore_ =
        Glib::RefPtr<Gtk::ListStore>::cast_dynamic(builder_->get_object("patternStore"));
    if (!ruleStore_ || !patternStore_) {
        throw MainInterface::MissingObject(ruleStore_ ? "patternStore" : "ruleStore");
    }

    GtkSourceLanguage* syntax = gtk_source_language_manager_get_language(
        gtk_source_language_manager_get_default(), language);
    if (!syntax) {
        Log::warning("the code editor has no \"", language, "\" syntax: plain text it is");
    }
    auto buffer = GObjectPtr<GtkSourceBuffer>::adopt(gtk_source_buffer_new(nullptr));
    gtk_source_buffer_set_language(buffer.get(), syntax);
    GtkWidget* source = gtk_source_view_new_with_buffer(buffer.get());
    gtk_source_view_set_show_line_numbers(GTK_SOURCE_VIEW(source), TRUE);
    gtk_source_view_set_auto_indent(GTK_SOURCE_VIEW(source), TRUE);
    gtk_source_view_set_tab_width(GTK_SOURCE_VIEW(source), 4);
    gtk_source_view_set_insert_spaces_instead_of_tabs(GTK_SOURCE_VIEW(source), TRUE);
    gtk_text_view_set_monospace(GTK_TEXT_VIEW(source), TRUE);
    editor_ = Gtk::manage(dynamic_cast<Gtk::TextView*>(Glib::wrap(source)));
    MainInterface::require<Gtk::ScrolledWindow>(builder_, "editorSlot").add(*editor_);
    editor_->show();
    editor_->signal_focus_out_event().connect([this](GdkEventFocus*) {
        storeScript();
        return false;
    });

    ruleTable_->get_selection()->signal_changed().connect([this] { ruleSelectionChanged(); });
    patternTable_->get_selection()->signal_changed().connect([this] { patternSelectionChanged(); });
    MainInterface::require<Gtk::CellRendererText>(builder_, "ruleNameCell")
        .signal_edited()
        .connect([this](const Glib::ustring& path, const Glib::ustring& text) {
            ruleEdited(path, text);
        });
    MainInterface::require<Gtk::CellRendererText>(builder_, "patternNameCell")
        .signal_edited()
        .connect([this](const Glib::ustring& path, const Glib::ustring& text) {
            patternEdited(path, text);
        });
    MainInterface::require<Gtk::CellRendererToggle>(builder_, "ruleStateCell")
        .signal_toggled()
        .connect([this](const Glib::ustring& path) { toggleRule(path); });
    MainInterface::require<Gtk::CellRendererToggle>(builder_, "patternStateCell")
        .signal_toggled()
        .connect([this](const Glib::ustring& path) { togglePattern(path); });
    auto connect = [this](const char* id, void (VLUserScriptsViewController::*action)()) {
        MainInterface::require<Gtk::Button>(builder_, id).signal_clicked().connect([this, action] {
            (this->*action)();
        });
    };
    connect("addRuleButton", &VLUserScriptsViewController::addRule);
    connect("removeRuleButton", &VLUserScriptsViewController::removeRule);
    connect("addPatternButton", &VLUserScriptsViewController::addPattern);
    connect("removePatternButton", &VLUserScriptsViewController::removePattern);

    loadRules(std::nullopt, 0);
}

VLUserScriptsViewController::~VLUserScriptsViewController() = default;

void VLUserScriptsViewController::loadRules(const std::optional<std::string>& select, int index) {
    loading_ = true;
    rulesArray_ = getManager().rulesArray();
    ruleStore_->clear();
    for (const std::string& rule : rulesArray_) {
        Gtk::TreeModel::iterator row = ruleStore_->append();
        ListRows::setFlag(ruleStore_, row, kState, getManager().getRuleState(rule) != 0);
        ListRows::setText(ruleStore_, row, kName, rule);
    }
    if (select) {
        auto found = std::find(rulesArray_.begin(), rulesArray_.end(), *select);
        index = found == rulesArray_.end() ? index : static_cast<int>(found - rulesArray_.begin());
    }
    selectedRule_.reset();
    if (!rulesArray_.empty()) {
        index = std::clamp(index, 0, static_cast<int>(rulesArray_.size()) - 1);
        selectedRule_ = rulesArray_[index];
        ListRows::selectNear(*ruleTable_, index);
    }
    loading_ = false;
    showSelectedRule();
}

void VLUserScriptsViewController::showSelectedRule() {
    storeScript();
    loadPatterns(std::nullopt, -1);
    std::string script;
    if (selectedRule_) {
        script = getManager().scriptForRule(*selectedRule_).value_or("");
    }
    editorRule_.reset();
    editor_->get_buffer()->set_text(script);
    editorRule_ = selectedRule_;
    editor_->set_sensitive(selectedRule_.has_value());
}

void VLUserScriptsViewController::loadPatterns(const std::optional<std::string>& select,
                                               int index) {
    loading_ = true;
    patternsArray_.clear();
    if (selectedRule_) {
        patternsArray_ =
            getManager().patternsNamesForRule(*selectedRule_).value_or(std::vector<std::string>{});
    }
    patternStore_->clear();
    for (const std::string& pattern : patternsArray_) {
        Gtk::TreeModel::iterator row = patternStore_->append();
        ListRows::setFlag(patternStore_, row, kState,
                          getManager().getPatternState(pattern, *selectedRule_) != 0);
        ListRows::setText(patternStore_, row, kName, pattern);
    }
    if (select) {
        auto found = std::find(patternsArray_.begin(), patternsArray_.end(), *select);
        index = found == patternsArray_.end() ? index
                                              : static_cast<int>(found - patternsArray_.begin());
    }
    selectedPattern_.reset();
    if (index >= 0 && !patternsArray_.empty()) {
        index = std::min(index, static_cast<int>(patternsArray_.size()) - 1);
        selectedPattern_ = patternsArray_[index];
        ListRows::selectNear(*patternTable_, index);
    }
    loading_ = false;
}

void VLUserScriptsViewController::storeScript() {
    if (!editorRule_ || !getManager().rules().count(*editorRule_)) {
        return;
    }
    const std::string text = editor_->get_buffer()->get_text();
    if (text != getManager().scriptForRule(*editorRule_).value_or("")) {
        getManager().addScript(text, *editorRule_);
    }
}

void VLUserScriptsViewController::ruleSelectionChanged() {
    const int index = ListRows::selectedIndex(*ruleTable_);
    if (loading_ || index < 0 || index >= static_cast<int>(rulesArray_.size())) {
        return;
    }
    selectedRule_ = rulesArray_[index];
    showSelectedRule();
}

void VLUserScriptsViewController::patternSelectionChanged() {
    const int index = ListRows::selectedIndex(*patternTable_);
    if (!loading_ && index >= 0 && index < static_cast<int>(patternsArray_.size())) {
        selectedPattern_ = patternsArray_[index];
    }
}

std::string VLUserScriptsViewController::freeName(const std::string& prefix,
                                                  const std::string& suffix, size_t index,
                                                  const std::vector<std::string>& taken) {
    // A generated name never replaces what is already there.
    for (;; ++index) {
        std::string name = prefix + std::to_string(index) + suffix;
        if (!contains(taken, name)) {
            return name;
        }
    }
}

void VLUserScriptsViewController::addRule() {
    storeScript();
    const std::string name = freeName("Rule ", "", rulesArray_.size(), rulesArray_);
    getManager().addRule(name, 1);
    loadRules(name, 0);
    ListRows::edit(*ruleTable_, ListRows::selectedIndex(*ruleTable_), kName);
}

void VLUserScriptsViewController::addPattern() {
    if (!selectedRule_) {
        return;
    }
    const std::string name = freeName("*domain_", "*", patternsArray_.size(), patternsArray_);
    getManager().addPattern(name, *selectedRule_, 1);
    loadPatterns(name, 0);
    ListRows::edit(*patternTable_, ListRows::selectedIndex(*patternTable_), kName);
}

void VLUserScriptsViewController::removeRule() {
    const int index = ListRows::selectedIndex(*ruleTable_);
    if (index < 0 || index >= static_cast<int>(rulesArray_.size())) {
        return;
    }
    storeScript();
    getManager().removeRule(rulesArray_[index]);
    loadRules(std::nullopt, index);
}

void VLUserScriptsViewController::removePattern() {
    const int index = ListRows::selectedIndex(*patternTable_);
    if (!selectedRule_ || index < 0 || index >= static_cast<int>(patternsArray_.size())) {
        return;
    }
    getManager().removePattern(patternsArray_[index], *selectedRule_);
    loadPatterns(std::nullopt, index);
}

void VLUserScriptsViewController::editAgain(Gtk::TreeView& table, const Glib::ustring& path) {
    Glib::signal_idle().connect_once([alive = life_.watch(), &table, row = rowOf(path)] {
        if (!alive.expired()) {
            ListRows::edit(table, row, kName);
        }
    });
}

void VLUserScriptsViewController::ruleEdited(const Glib::ustring& path, const Glib::ustring& text) {
    const int index = rowOf(path);
    if (index < 0 || index >= static_cast<int>(rulesArray_.size())) {
        return;
    }
    const std::string from = rulesArray_[index];
    const std::string to = text;
    if (to.empty()) {
        editAgain(*ruleTable_, path);  // a rule needs a name
        return;
    }
    if (to == from) {
        return;
    }
    if (contains(rulesArray_, to)) {
        Log::warning("a rule named \"", to, "\" exists already: the rule keeps its name");
        return;
    }
    storeScript();
    getManager().renameRule(from, to);
    editorRule_.reset();
    loadRules(to, index);
}

void VLUserScriptsViewController::patternEdited(const Glib::ustring& path,
                                                const Glib::ustring& text) {
    const int index = rowOf(path);
    if (!selectedRule_ || index < 0 || index >= static_cast<int>(patternsArray_.size())) {
        return;
    }
    const std::string from = patternsArray_[index];
    const std::string to = text;
    if (to.empty()) {
        editAgain(*patternTable_, path);
        return;
    }
    if (to == from) {
        return;
    }
    if (contains(patternsArray_, to)) {
        Log::warning("the rule has the pattern \"", to, "\" already: the pattern keeps its text");
        return;
    }
    getManager().renamePattern(from, to, *selectedRule_);
    loadPatterns(to, index);
}

void VLUserScriptsViewController::toggleRule(const Glib::ustring& path) {
    const int index = rowOf(path);
    if (index < 0 || index >= static_cast<int>(rulesArray_.size())) {
        return;
    }
    Gtk::TreeModel::iterator row = ruleStore_->get_iter(path);
    const bool state = !ListRows::flag(ruleStore_, row, kState);
    getManager().setState(state ? 1 : 0, rulesArray_[index]);
    ListRows::setFlag(ruleStore_, row, kState, state);
}

void VLUserScriptsViewController::togglePattern(const Glib::ustring& path) {
    const int index = rowOf(path);
    if (!selectedRule_ || index < 0 || index >= static_cast<int>(patternsArray_.size())) {
        return;
    }
    Gtk::TreeModel::iterator row = patternStore_->get_iter(path);
    const bool state = !ListRows::flag(patternStore_, row, kState);
    getManager().setState(state ? 1 : 0, *selectedRule_, patternsArray_[index]);
    ListRows::setFlag(patternStore_, row, kState, state);
}

void VLUserScriptsViewController::viewDidDisappear() {
    storeScript();
    getManager().saveJson();
}
