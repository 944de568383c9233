#pragma once

#include <gtkmm/builder.h>
#include <gtkmm/colorbutton.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/entry.h>
#include <gtkmm/fontchooserdialog.h>
#include <gtkmm/scale.h>

#include <memory>
#include <optional>

#include "foundation/FontSpec.h"
#include "preferences/VLSettingsPane.h"

// The Appearance pane (Appearance.ui): opacity, level and shadow of the windows, light or dark,
// the pages' standard font, the window colour and what the title bar shows. Changes reach every
// open main window at once; most are saved at once, the rest when the pane hides.
class VLAppearenceViewController : public VLSettingsPane {
  public:
    // Throws MainInterface::MissingObject when the interface lacks a control.
    VLAppearenceViewController();
    ~VLAppearenceViewController() override;

    Gtk::Widget& view() override { return *view_; }
    void viewDidDisappear() override;

    // What the font chooser answers with.
    void fontChosen(const FontSpec& font);

  private:
    void loadValues();
    void showFont(const std::optional<FontSpec>& font);
    void selectFont();
    void resetFont();
    void opacityChanged();
    void levelChanged();
    void appearanceChanged();
    void titlebarChanged(const char* id);

    Glib::RefPtr<Gtk::Builder> builder_;
    Gtk::Widget* view_ = nullptr;
    Gtk::Scale* opacitySlider_ = nullptr;
    Gtk::ComboBoxText* windowLevelPopUp_ = nullptr;
    Gtk::ComboBoxText* shadowPopUp_ = nullptr;
    Gtk::ComboBoxText* appearancePopUp_ = nullptr;
    Gtk::Entry* fontNameField_ = nullptr;
    Gtk::ColorButton* windowColorWell_ = nullptr;
    std::unique_ptr<Gtk::FontChooserDialog> fontChooser_;
    bool loading_ = false;
};
