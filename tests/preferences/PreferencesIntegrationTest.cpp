#include <gtest/gtest.h>
#include <gtkmm/button.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/colorbutton.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/entry.h>
#include <gtkmm/fontchooserdialog.h>
#include <gtkmm/label.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/radiobutton.h>
#include <gtkmm/scale.h>
#include <gtkmm/treeview.h>

#include <filesystem>
#include <functional>

#include "FileGuards.h"
#include "TestHome.h"
#include "WidgetLookup.h"
#include "foundation/DefaultsKeys.h"
#include "foundation/GObjectPtr.h"
#include "foundation/NotificationCenter.h"
#include "foundation/NotificationNames.h"
#include "foundation/UserDefaults.h"
#include "preferences/VLGeneralSettingsViewController.h"
#include "preferences/VLSettingsTabViewController.h"
#include "preferences/VLShortcutRecorder.h"
#include "preferences/VLUserScriptsViewController.h"
#include "rules/VLScriptsManager.h"
#include "rules/VLWhiteListManager.h"
#include "stores/VLFileManager.h"
#include "stores/VLSettingsManager.h"
#include "stores/VLShortcutManager.h"

namespace {
using Pane = VLSettingsTabViewController::Pane;

// The preferences window at a pane, and every notification posted meanwhile.
struct Preferences {
    std::vector<std::string> posted;
    NotificationCenter::Observer all = NotificationCenter::defaultCenter().addObserver(
        "", [this](const Notification& n) { posted.push_back(n.name); });

    explicit Preferences(Pane pane) {
        TestHome::installBundleResources();
        VLSettingsTabViewController::show(pane);
    }
    ~Preferences() { VLSettingsTabViewController::closeCurrent(); }

    static VLSettingsTabViewController& window() { return *VLSettingsTabViewController::current(); }
    // A control of the pane shown (panes share ids).
    template <class T>
    static T& control(const char* id) {
        return widgetIn<T>(window().visiblePane()->view(), id);
    }
    // Ends an edit of a table's cell as the table's own editor would.
    static void edit(const char* table, int column, int row, const std::string& text) {
        auto* cell = control<Gtk::TreeView>(table).get_column(column)->get_first_cell();
        g_signal_emit_by_name(cell->gobj(), "edited", std::to_string(row).c_str(), text.c_str());
    }
    static void select(const char* table, int row) {
        Gtk::TreeModel::Path path;
        path.push_back(row);
        control<Gtk::TreeView>(table).get_selection()->select(path);
    }
    static std::vector<std::string> column(const char* table, int column) {
        std::vector<std::string> texts;
        auto model = control<Gtk::TreeView>(table).get_model();
        for (auto row = model->children().begin(); row != model->children().end(); ++row) {
            Glib::ustring text;
            row->get_value(column, text);
            texts.push_back(text);
        }
        return texts;
    }
};

nlohmann::json readJson(const std::string& path) {
    return nlohmann::json::parse(readFileBytes(path), nullptr, false);
}

std::string settingsPath() {
    return VLFileManager::getSettingsPath() + "settings.json";
}

void toggle(Gtk::Widget& widget) {
    auto& box = dynamic_cast<Gtk::ToggleButton&>(widget);
    box.set_active(!box.get_active());
}
}  // namespace

TEST(PreferencesIT, GeneralAndAppearanceControlsWriteTheirKeysAndPostTheirNotifications) {
    struct Row {
        Pane pane;
        const char* id;
        std::function<void(Gtk::Widget&)> drive;
        const char* key;
        nlohmann::json value;
        const char* notification;  // posted by the change, when there is one
    };
    auto choose = [](int index) {
        return [index](Gtk::Widget& w) { dynamic_cast<Gtk::ComboBox&>(w).set_active(index); };
    };
    auto click = [](Gtk::Widget& w) { dynamic_cast<Gtk::Button&>(w).clicked(); };
    const std::vector<Row> rows = {
        {Pane::General, "startPagePopUp", choose(1), "openEmptyPage;", 1, nullptr},
        {Pane::General, "homePageField",
         [](Gtk::Widget& w) {
             auto& field = dynamic_cast<Gtk::Entry&>(w);
             field.set_text("mail.example.org");
             field.activate();
         },
         "main_url", "mail.example.org", nullptr},
        {Pane::General, "cookiesMainDocumentRadio", click, "allowCookies", 2, nullptr},
        {Pane::General, "hideProgressBarCheck", toggle, "hideProgressBar", true,
         notification::hideProgressBar},
        {Pane::General, "enableJavaScriptCheck", toggle, "enableJavaScript", true,
         notification::enableJavaScript},
        {Pane::General, "enablePluginsCheck", toggle, "enablePlugins", true,
         notification::enablePlugins},
        {Pane::General, "blockPopupWindowCheck", toggle, "blockPopupWindoww", false,
         notification::blockPopupWindoww},
        {Pane::General, "blockAdsCheck", toggle, "blockAds", true, notification::blockAds},
        {Pane::General, "selectNewTabCheck", toggle, "selectNewTab", true, nullptr},
        {Pane::General, "returnToPriorCheck", toggle, "returnToPrior", true, nullptr},
        {Pane::General, "confirmCloseTabsCheck", toggle, "confirmBeforeTabsClose", true, nullptr},
        {Pane::Appearance, "opacitySlider",
         [](Gtk::Widget& w) { dynamic_cast<Gtk::Scale&>(w).set_value(50); }, "windowOpacityKey",
         0.5, nullptr},
        {Pane::Appearance, "windowLevelPopUp", choose(0), "windowLevelKey", 3, nullptr},
        {Pane::Appearance, "shadowPopUp", choose(1), "windowHasShadow", false, nullptr},
        {Pane::Appearance, "appearancePopUp", choose(2), "appearance", 2, nullptr},
        {Pane::Appearance, "selectFontButton",
         [click](Gtk::Widget& w) {
             click(w);
             for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
                 if (auto* dialog = dynamic_cast<Gtk::FontChooserDialog*>(window)) {
                     dialog->set_font("Serif 14");
                     dialog->response(Gtk::RESPONSE_OK);
                 }
             }
         },
         "fontSize", 14.0, notification::refreshFont},
        {Pane::Appearance, "windowColorWell",
         [](Gtk::Widget& w) {
             auto& well = dynamic_cast<Gtk::ColorButton&>(w);
             well.set_rgba(Gdk::RGBA("rgb(255,0,0)"));
             g_signal_emit_by_name(well.gobj(), "color-set");
         },
         "windowColor", "1.000000 0.000000 0.000000 1.000000", nullptr},
        {Pane::Appearance, "hideTitleCheck", toggle, "hideTitle", true,
         notification::titlebarVisibilityChange},
        {Pane::Appearance, "hideTitlebarCheck", toggle, "hideTitlebar", true,
         notification::titlebarVisibilityChange},
        {Pane::Appearance, "hideTitleIconCheck", toggle, "hideTitleIcon", true,
         notification::titlebarVisibilityChange},
        {Pane::Appearance, "hideToolbarButtonCheck", toggle, "hideToolbarButton", true,
         notification::showHideToolbarButton},
    };
    Preferences preferences(Pane::General);
    for (const Row& row : rows) {
        Preferences::window().selectPane(row.pane);
        preferences.posted.clear();
        row.drive(Preferences::control<Gtk::Widget>(row.id));
        if (row.notification) {
            EXPECT_NE(
                std::find(preferences.posted.begin(), preferences.posted.end(), row.notification),
                preferences.posted.end())
                << row.id;
        }
    }
    // Level, shadow and the home page are written when their pane hides; all is saved.
    Preferences::window().selectPane(Pane::About);
    const nlohmann::json memory = VLSettingsManager::sharedManager().settings();
    const nlohmann::json file = readJson(settingsPath());
    for (const Row& row : rows) {
        EXPECT_EQ(memory.value(row.key, nlohmann::json()), row.value) << row.id;
        EXPECT_EQ(file.value(row.key, nlohmann::json()), row.value) << row.id << " saved";
    }
    EXPECT_EQ(memory.value("autowindowColor", nlohmann::json()), false);
}

TEST(PreferencesIT, RefreshFieldTakesOnlyWholeNumbersAndStoresZeroForEmpty) {
    Preferences preferences(Pane::Behaviour);
    auto& field = Preferences::control<Gtk::Entry>("refreshField");
    VLSettingsManager& settings = VLSettingsManager::sharedManager();
    field.set_text("12");
    EXPECT_EQ(settings.refreshTimeInterval(), 12);
    int end = field.get_text_length();
    field.insert_text("1a", -1, end);
    EXPECT_EQ(field.get_text(), "12") << "1a is refused";
    field.set_text("");
    EXPECT_EQ(settings.refreshTimeInterval(), 0);
    field.set_text("30");
    EXPECT_TRUE(preferences.posted.empty()) << "told only when the pane hides";
    Preferences::window().selectPane(Pane::General);
    EXPECT_EQ(preferences.posted,
              std::vector<std::string>{notification::refreshTimeIntervalChange});
    EXPECT_EQ(readJson(settingsPath()).value("refreshTimeInterval", 0.0), 30);
}

TEST(PreferencesIT, WhiteListPaneAddsTrimmedPatternsAndRemovesTheSelectedOne) {
    VLWhiteListManager& whitelist = VLWhiteListManager::sharedManager();
    whitelist.setAllowAll(false);
    whitelist.addPattern("a.example.org");
    whitelist.addPattern("b.example.org");
    Preferences preferences(Pane::WhiteList);
    EXPECT_TRUE(Preferences::control<Gtk::RadioButton>("allowPatternsRadio").get_active());

    Preferences::control<Gtk::Button>("addPatternButton").clicked();
    Preferences::edit("patternTable", 0, 2, "  mail.example.org \t");
    Preferences::control<Gtk::Button>("addPatternButton").clicked();
    Preferences::edit("patternTable", 0, 3, "   ");
    EXPECT_EQ(whitelist.patterns(),
              (std::vector<std::string>{"a.example.org", "b.example.org", "mail.example.org"}));
    EXPECT_EQ(Preferences::column("patternTable", 0), whitelist.patterns()) << "blank row dropped";

    Preferences::select("patternTable", 0);
    Preferences::control<Gtk::Button>("removePatternButton").clicked();
    EXPECT_EQ(whitelist.patterns(),
              (std::vector<std::string>{"b.example.org", "mail.example.org"}));
    Preferences::window().selectPane(Pane::General);
    EXPECT_EQ(readJson(VLFileManager::getSettingsPath() + "whitelist.json")["pattern"],
              nlohmann::json({"b.example.org", "mail.example.org"}));
}

TEST(PreferencesIT, ScriptPaneNamesNewRulesAndPatternsAndStoresTheScriptWhenHidden) {
    VLScriptsManager& scripts = VLScriptsManager::sharedManager();
    for (const char* rule : {"Rule 0", "Rule 1", "Rule 2"}) {
        scripts.addRule(rule, 1);
    }
    Preferences preferences(Pane::UserScripts);
    auto* pane =
        dynamic_cast<VLUserScriptsViewController*>(Preferences::window().pane(Pane::UserScripts));
    ASSERT_TRUE(pane);
    Preferences::control<Gtk::Button>("addRuleButton").clicked();
    EXPECT_EQ(pane->selectedRule(), "Rule 3");
    Preferences::control<Gtk::Button>("addPatternButton").clicked();
    EXPECT_EQ(scripts.patternsNamesForRule("Rule 3"), std::vector<std::string>{"*domain_0*"});
    pane->editor().get_buffer()->set_text("document.title = 'mail';");

    Preferences::window().selectPane(Pane::UserStyles);
    nlohmann::json saved;
    for (const nlohmann::json& rule : readJson(scripts.getJsonPath())) {
        saved = rule.value("name", "") == "Rule 3" ? rule : saved;
    }
    EXPECT_EQ(saved.value("script", ""), "document.title = 'mail';");
    EXPECT_EQ(saved["pattern"]["*domain_0*"]["state"], 1);
}

TEST(PreferencesIT, ShortcutsPaneReplacesTheStoreFromTheTableWhenHidden) {
    VLShortcutManager& shortcuts = VLShortcutManager::sharedManager();
    shortcuts.setShortCut("keep", std::string("https://keep.example.org"));
    shortcuts.setShortCut("old", std::string("https://old.example.org"));
    Preferences preferences(Pane::Shortcuts);
    ASSERT_EQ(Preferences::column("shortcutTable", 0), (std::vector<std::string>{"keep", "old"}));
    Preferences::select("shortcutTable", 1);
    Preferences::control<Gtk::Button>("removeShortcutButton").clicked();
    Preferences::control<Gtk::Button>("addShortcutButton").clicked();
    Preferences::edit("shortcutTable", 0, 1, "mail");
    Preferences::edit("shortcutTable", 1, 1, "https://mail.example.org");
    EXPECT_EQ(shortcuts.findUrlForShortcut("old"), "https://old.example.org")
        << "the store waits for the pane to hide";

    Preferences::window().selectPane(Pane::About);
    const nlohmann::json expected = {{"keep", "https://keep.example.org"},
                                     {"mail", "https://mail.example.org"}};
    EXPECT_EQ(shortcuts.json(), expected);
    EXPECT_EQ(readJson(shortcuts.getPath()), expected);
}

TEST(PreferencesIT, AppIconMustBeSquareAndTheShortcutIsBoundAsRecorded) {
    std::vector<std::string> bound;
    VLSettingsManager::setShortcutBinder([&](const std::string& accelerator, auto) {
        bound.push_back(accelerator);
        return true;
    });
    Preferences preferences(Pane::General);
    auto* general =
        dynamic_cast<VLGeneralSettingsViewController*>(Preferences::window().pane(Pane::General));
    ASSERT_TRUE(general);
    const std::string icon = TestHome::bundlePath() + "/Contents/Resources/AppIcon.icns";
    for (auto [width, height] : {std::pair{40, 20}, {32, 32}}) {
        auto pixbuf = GObjectPtr<GdkPixbuf>::adopt(
            gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, width, height));
        gdk_pixbuf_fill(pixbuf.get(), 0x3366ccff);
        const std::string path = TestHome::path() + "/icon.png";
        ASSERT_TRUE(gdk_pixbuf_save(pixbuf.get(), path.c_str(), "png", nullptr, nullptr));
        general->iconChosen(path);
        EXPECT_EQ(std::filesystem::exists(icon), width == height) << width << "x" << height;
    }
    bool refused = false;
    for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
        if (auto* alert = dynamic_cast<Gtk::MessageDialog*>(window)) {
            refused = refused || alert->property_secondary_text().get_value() ==
                                     "The image you provided is not square.";
        }
    }
    EXPECT_TRUE(refused);

    auto& recorder = dynamic_cast<VLShortcutRecorder&>(
        *Preferences::control<Gtk::Label>("shortcutLabel").get_mnemonic_widget());
    recorder.clicked();
    EXPECT_FALSE(recorder.record(GDK_KEY_k, Gdk::ModifierType(0))) << "a plain key is refused";
    EXPECT_TRUE(recorder.record(GDK_KEY_space, Gdk::CONTROL_MASK | Gdk::MOD1_MASK));
    EXPECT_EQ(UserDefaults::standard().stringForKey(defaults_key::globalShortcutKey),
              "<Primary><Alt>space");
    EXPECT_EQ(bound.back(), "<Primary><Alt>space") << "bound again at once";
    recorder.clicked();
    recorder.record(GDK_KEY_BackSpace, Gdk::ModifierType(0));
    EXPECT_FALSE(UserDefaults::standard().objectForKey(defaults_key::globalShortcutKey));
    EXPECT_EQ(bound.back(), "");
    VLSettingsManager::setShortcutBinder(nullptr);
}
