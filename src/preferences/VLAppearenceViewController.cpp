#include "preferences/VLAppearenceViewController.h"

#include <gtkmm/button.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/settings.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "browser/MainInterface.h"
#include "browser/VLMainWindowController.h"
#include "foundation/NotificationCenter.h"
#include "foundation/NotificationNames.h"
#include "preferences/WindowColorChoice.h"
#include "stores/VLSettingsManager.h"

namespace {
// The level pop-up's entries, in order.
constexpr long kLevels[] = {VLSettingsManager::kFloatingWindowLevel,
                            VLSettingsManager::kNormalWindowLevel,
                            VLSettingsManager::kDesktopWindowLevel};

int levelIndex(long level) {
    if (level == VLSettingsManager::kFloatingWindowLevel) {
        return 0;
    }
    return level == VLSettingsManager::kNormalWindowLevel ? 1 : 2;
}

struct TitlebarSwitch {
    const char* id;
    bool (VLSettingsManager::*get)();
    void (VLSettingsManager::*set)(bool);
};

const TitlebarSwitch kTitlebarSwitches[] = {
    {"hideTitleCheck", &VLSettingsManager::hideTitle, &VLSettingsManager::setHideTitle},
    {"hideTitlebarCheck", &VLSettingsManager::hideTitlebar, &VLSettingsManager::setHideTitlebar},
    {"hideTitleIconCheck", &VLSettingsManager::hideTitleIcon, &VLSettingsManager::setHideTitleIcon},
};

const std::vector<VLMainWindowController*>& windows() {
    return VLMainWindowController::openControllers();
}
}  // namespace

VLAppearenceViewController::VLAppearenceViewController()
    : builder_(MainInterface::builderFromFile("Appearance.ui",
                                              {"AppearanceView", "opacityAdjustment"})) {
    view_ = &MainInterface::require<Gtk::Widget>(builder_, "AppearanceView");
    opacitySlider_ = &MainInterface::require<Gtk::Scale>(builder_, "opacitySlider");
    windowLevelPopUp_ = &MainInterface::require<Gtk::ComboBoxText>(builder_, "windowLevelPopUp");
    shadowPopUp_ = &MainInterface::require<Gtk::ComboBoxText>(builder_, "shadowPopUp");
    appearancePopUp_ = &MainInterface::require<Gtk::ComboBoxText>(builder_, "appearancePopUp");
    fontNameField_ = &MainInterface::require<Gtk::Entry>(builder_, "fontNameField");
    windowColorWell_ = &MainInterface::require<Gtk::ColorButton>(builder_, "windowColorWell");
    loadValues();

    opacitySlider_->signal_value_changed().connect([this] { opacityChanged(); });
    windowLevelPopUp_->signal_changed().connect([this] { levelChanged(); });
    shadowPopUp_->signal_changed().connect([] {
        // Window shadows belong to the window manager here: the choice is stored at hiding.
    });
    appearancePopUp_->signal_changed().connect([this] { appearanceChanged(); });
    MainInterface::require<Gtk::Button>(builder_, "selectFontButton")
        .signal_clicked()
        .connect([this] { selectFont(); });
    MainInterface::require<Gtk::Button>(builder_, "resetFontButton")
        .signal_clicked()
        .connect([this] { resetFont(); });
    windowColorWell_->signal_color_set().connect(
        [this] { WindowColorChoice::choose(windowColorWell_->get_rgba(), true); });
    MainInterface::require<Gtk::Button>(builder_, "resetColorButton")
        .signal_clicked()
        .connect([this] { windowColorWell_->set_rgba(WindowColorChoice::reset(true)); });
    for (const TitlebarSwitch& each : kTitlebarSwitches) {
        const char* id = each.id;
        MainInterface::require<Gtk::CheckButton>(builder_, id).signal_toggled().connect([this, id] {
            titlebarChanged(id);
        });
    }
    auto& hideToolbarButton =
        MainInterface::require<Gtk::CheckButton>(builder_, "hideToolbarButtonCheck");
    hideToolbarButton.signal_toggled().connect([this, &hideToolbarButton] {
        if (loading_) {
            return;
        }
        const bool hide = hideToolbarButton.get_active();
        VLSettingsManager& settings = VLSettingsManager::sharedManager();
        settings.setHideToolbarButton(hide);
        settings.saveSettings();
        NotificationCenter::defaultCenter().post(notification::showHideToolbarButton, {},
                                                 {{notification::hideKey, std::any(hide)}});
    });
}

VLAppearenceViewController::~VLAppearenceViewController() = default;

void VLAppearenceViewController::loadValues() {
    loading_ = true;
    VLSettingsManager& settings = VLSettingsManager::sharedManager();
    // The stored default 100.0 reads as fully opaque.
    opacitySlider_->set_value(std::clamp(settings.windowOpacity() * 100, 0.0, 100.0));
    windowLevelPopUp_->set_active(levelIndex(settings.windowLevel()));
    shadowPopUp_->set_active(settings.windowShadow() ? 0 : 1);
    appearancePopUp_->set_active_id(std::to_string(settings.appearance()));
    if (appearancePopUp_->get_active_row_number() < 0) {
        appearancePopUp_->set_active(0);
    }
    showFont(settings.standardFont());
    windowColorWell_->set_rgba(WindowColorChoice::current());
    for (const TitlebarSwitch& each : kTitlebarSwitches) {
        MainInterface::require<Gtk::CheckButton>(builder_, each.id)
            .set_active((settings.*each.get)());
    }
    MainInterface::require<Gtk::CheckButton>(builder_, "hideToolbarButtonCheck")
        .set_active(settings.hideToolbarButton());
    loading_ = false;
}

void VLAppearenceViewController::opacityChanged() {
    if (loading_) {
        return;
    }
    const double value = std::round(opacitySlider_->get_value());
    for (VLMainWindowController* controller : windows()) {
        controller->window().set_opacity(value / 100);
    }
    VLSettingsManager& settings = VLSettingsManager::sharedManager();
    settings.setWindowOpacity(value / 100);
    settings.saveSettings();
}

void VLAppearenceViewController::levelChanged() {
    const int index = windowLevelPopUp_->get_active_row_number();
    if (loading_ || index < 0) {
        return;
    }
    const long level = kLevels[index];
    for (VLMainWindowController* controller : windows()) {
        controller->window().set_keep_above(level == VLSettingsManager::kFloatingWindowLevel);
        controller->window().set_keep_below(level == VLSettingsManager::kDesktopWindowLevel);
    }
}

void VLAppearenceViewController::appearanceChanged() {
    if (loading_) {
        return;
    }
    const long appearance = std::stol(std::string(appearancePopUp_->get_active_id()));
    VLSettingsManager::sharedManager().setAppearance(appearance);
    auto settings = Gtk::Settings::get_default();
    if (!settings) {
        return;
    }
    if (appearance == 1 || appearance == 2) {
        settings->property_gtk_application_prefer_dark_theme() = appearance == 2;
    } else {
        gtk_settings_reset_property(settings->gobj(), "gtk-application-prefer-dark-theme");
    }
}

void VLAppearenceViewController::showFont(const std::optional<FontSpec>& font) {
    if (!font) {
        fontNameField_->set_text("");
        fontNameField_->unset_font();
        return;
    }
    fontNameField_->set_text(font->family);
    Pango::FontDescription description;
    description.set_family(font->family);
    description.set_size(13 * Pango::SCALE);
    fontNameField_->override_font(description);
}

void VLAppearenceViewController::selectFont() {
    auto* parent = dynamic_cast<Gtk::Window*>(view_->get_toplevel());
    fontChooser_ = parent ? std::make_unique<Gtk::FontChooserDialog>("Standard Font", *parent)
                          : std::make_unique<Gtk::FontChooserDialog>("Standard Font");
    fontChooser_->set_modal(true);
    if (auto font = VLSettingsManager::sharedManager().standardFont()) {
        Pango::FontDescription description;
        description.set_family(font->family);
        description.set_size(static_cast<int>(font->pointSize * Pango::SCALE));
        fontChooser_->set_font_desc(description);
    }
    fontChooser_->signal_response().connect([this](int response) {
        if (response == Gtk::RESPONSE_OK) {
            Pango::FontDescription chosen = fontChooser_->get_font_desc();
            const double size =
                chosen.get_size() > 0 ? double(chosen.get_size()) / Pango::SCALE : 12.0;
            fontChosen(FontSpec{chosen.get_family(), size});
        }
        fontChooser_->hide();
    });
    fontChooser_->present();
}

void VLAppearenceViewController::fontChosen(const FontSpec& font) {
    if (font.family.empty()) {
        return;
    }
    VLSettingsManager::sharedManager().setStandardFont(font);
    showFont(font);
    NotificationCenter::defaultCenter().post(notification::refreshFont, font);
}

void VLAppearenceViewController::resetFont() {
    VLSettingsManager::sharedManager().setStandardFont(std::nullopt);
    showFont(std::nullopt);
    NotificationCenter::defaultCenter().post(notification::refreshFont);
}

void VLAppearenceViewController::titlebarChanged(const char* id) {
    if (loading_) {
        return;
    }
    VLSettingsManager& settings = VLSettingsManager::sharedManager();
    const bool state = MainInterface::require<Gtk::CheckButton>(builder_, id).get_active();
    for (const TitlebarSwitch& each : kTitlebarSwitches) {
        if (std::strcmp(each.id, id) == 0) {
            (settings.*each.set)(state);
        }
    }
    settings.saveSettings();
    for (VLMainWindowController* controller : windows()) {
        controller->updateWindowTitlebar();
    }
    NotificationCenter::defaultCenter().post(
        notification::titlebarVisibilityChange, {},
        {{notification::titlebarVisibilityKey, std::any(settings.hideTitlebar())}});
}

void VLAppearenceViewController::viewDidDisappear() {
    VLSettingsManager& settings = VLSettingsManager::sharedManager();
    settings.setWindowOpacity(std::round(opacitySlider_->get_value()) / 100);
    const int level = windowLevelPopUp_->get_active_row_number();
    if (level >= 0) {
        settings.setWindowLevel(kLevels[level]);
    }
    settings.setWindowShadow(shadowPopUp_->get_active_row_number() != 1);
    settings.saveSettings();
}
