#pragma once

#include <gtkmm/builder.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/entry.h>
#include <gtkmm/filechoosernative.h>
#include <gtkmm/image.h>
#include <gtkmm/radiobutton.h>

#include <string>

#include "preferences/VLSettingsPane.h"

class VLShortcutRecorder;

// The General pane (GeneralSettings.ui): home page, start page, global shortcut, download folder,
// cookies, web content switches, tab behaviour and the app icon. Writes the settings store on
// each change and saves it when the pane hides.
class VLGeneralSettingsViewController : public VLSettingsPane {
  public:
    // Throws MainInterface::MissingObject when the interface lacks a control.
    VLGeneralSettingsViewController();
    ~VLGeneralSettingsViewController() override;

    Gtk::Widget& view() override { return *view_; }
    void viewDidDisappear() override;

    // What the folder and icon choosers answer with.
    void downloadFolderChosen(const std::string& path);
    void iconChosen(const std::string& path);

  private:
    void loadValues();
    void storeHomePage();
    void showDownloadFolder();
    void chooseDownloadFolder();
    void chooseIcon();
    void showIcon();
    void showError(const std::string& message);
    Gtk::Window* window();
    Glib::RefPtr<Gtk::FileChooserNative> makeChooser(const std::string& title,
                                                     Gtk::FileChooserAction action,
                                                     const std::string& accept);

    Glib::RefPtr<Gtk::Builder> builder_;
    Gtk::Widget* view_ = nullptr;
    Gtk::ComboBoxText* startPagePopUp_ = nullptr;
    Gtk::Entry* homePageField_ = nullptr;
    Gtk::ComboBoxText* downloadFolderPopUp_ = nullptr;
    Gtk::RadioButton* cookieButtons_[3] = {};
    Gtk::Image* appIconImage_ = nullptr;
    VLShortcutRecorder* shortcutRecorder_ = nullptr;
    Glib::RefPtr<Gtk::FileChooserNative> chooser_;
    bool loading_ = false;
};
