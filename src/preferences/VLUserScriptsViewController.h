#pragma once

#include <gtkmm/builder.h>
#include <gtkmm/liststore.h>
#include <gtkmm/textview.h>
#include <gtkmm/treeview.h>

#include <optional>
#include <string>
#include <vector>

#include "foundation/LifeToken.h"
#include "preferences/VLSettingsPane.h"

class VLScriptsManager;

// The User Scripts pane (UserRules.ui): the rules of the scripts store with their on/off state,
// the selected rule's URL patterns, and its script in a JavaScript editor. Rule and pattern
// changes reach the store at once; the editor's text when editing ends, another rule is shown or
// the pane hides, where the store is saved.
class VLUserScriptsViewController : public VLSettingsPane {
  public:
    // Throws MainInterface::MissingObject when the interface lacks a control.
    VLUserScriptsViewController();
    ~VLUserScriptsViewController() override;

    Gtk::Widget& view() override { return *view_; }
    void viewDidDisappear() override;

    const std::optional<std::string>& selectedRule() const { return selectedRule_; }
    const std::optional<std::string>& selectedPattern() const { return selectedPattern_; }
    Gtk::TextView& editor() { return *editor_; }
    void addRule();
    void removeRule();
    void addPattern();
    void removePattern();
    void ruleEdited(const Glib::ustring& path, const Glib::ustring& text);
    void patternEdited(const Glib::ustring& path, const Glib::ustring& text);

  protected:
    // The styles pane: its store and the editor's language ("css").
    VLUserScriptsViewController(VLScriptsManager& manager, const char* language);

  private:
    VLScriptsManager& getManager() { return manager_; }
    // Reads the rules again and selects `select`, else the row at `index` (or the last).
    void loadRules(const std::optional<std::string>& select, int index);
    void loadPatterns(const std::optional<std::string>& select, int index);
    void showSelectedRule();
    void storeScript();
    void ruleSelectionChanged();
    void patternSelectionChanged();
    void toggleRule(const Glib::ustring& path);
    void togglePattern(const Glib::ustring& path);
    void editAgain(Gtk::TreeView& table, const Glib::ustring& path);
    // "<prefix><n><suffix>" for the first n from `index` on that names nothing yet.
    static std::string freeName(const std::string& prefix, const std::string& suffix, size_t index,
                                const std::vector<std::string>& taken);

    VLScriptsManager& manager_;
    Glib::RefPtr<Gtk::Builder> builder_;
    Gtk::Widget* view_ = nullptr;
    Gtk::TreeView* ruleTable_ = nullptr;
    Gtk::TreeView* patternTable_ = nullptr;
    Glib::RefPtr<Gtk::ListStore> ruleStore_;
    Glib::RefPtr<Gtk::ListStore> patternStore_;
    Gtk::TextView* editor_ = nullptr;
    std::vector<std::string> rulesArray_;
    std::vector<std::string> patternsArray_;
    std::optional<std::string> selectedRule_;
    std::optional<std::string> selectedPattern_;
    // The rule whose script the editor holds.
    std::optional<std::string> editorRule_;
    bool loading_ = false;
    LifeToken life_;
};
