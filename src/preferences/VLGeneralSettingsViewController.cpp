#include "preferences/VLGeneralSettingsViewController.h"

#include <glibmm/miscutils.h>
#include <gtkmm/box.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/filefilter.h>
#include <gtkmm/label.h>

#include "app/VLCorvaManager.h"
#include "browser/MainInterface.h"
#include "foundation/Bundle.h"
#include "foundation/Error.h"
#include "foundation/Log.h"
#include "foundation/NotificationCenter.h"
#include "foundation/NotificationNames.h"
#include "maintenance/Alert.h"
#include "maintenance/Image.h"
#include "maintenance_ui/AlertDialog.h"
#include "preferences/VLShortcutRecorder.h"
#include "stores/VLSettingsManager.h"

namespace {
struct Switch {
    const char* id;
    bool (VLSettingsManager::*get)() const;
    void (VLSettingsManager::*set)(bool);
    const char* notification;  // posted with the new state, when there is one
};

const Switch kSwitches[] = {
    {"hideProgressBarCheck", &VLSettingsManager::hideProgressBar,
     &VLSettingsManager::setHideProgressBar, notification::hideProgressBar},
    {"enableJavaScriptCheck", &VLSettingsManager::enableJavaScript,
     &VLSettingsManager::setEnableJavaScript, notification::enableJavaScript},
    {"enablePluginsCheck", &VLSettingsManager::enablePlugins, &VLSettingsManager::setEnablePlugins,
     notification::enablePlugins},
    {"blockPopupWindowCheck", &VLSettingsManager::blockPopupWindow,
     &VLSettingsManager::setBlockPopupWindow, notification::blockPopupWindoww},
    {"blockAdsCheck", &VLSettingsManager::blockAds, &VLSettingsManager::setBlockAds,
     notification::blockAds},
    {"selectNewTabCheck", &VLSettingsManager::selectNewTab, &VLSettingsManager::setSelectNewTab,
     nullptr},
    {"returnToPriorCheck", &VLSettingsManager::returnToPrior, &VLSettingsManager::setReturnToPrior,
     nullptr},
    {"confirmCloseTabsCheck", &VLSettingsManager::confirmColseTabs,
     &VLSettingsManager::setConfirmColseTabs, nullptr},
};

constexpr const char* kCookieIds[] = {"cookiesAlwaysRadio", "cookiesNeverRadio",
                                      "cookiesMainDocumentRadio"};
constexpr const char* kNotSquare = "The image you provided is not square.";
}  // namespace

VLGeneralSettingsViewController::VLGeneralSettingsViewController()
    : builder_(MainInterface::builderFromFile("GeneralSettings.ui", {"GeneralSettingsView"})) {
    view_ = &MainInterface::require<Gtk::Widget>(builder_, "GeneralSettingsView");
    startPagePopUp_ = &MainInterface::require<Gtk::ComboBoxText>(builder_, "startPagePopUp");
    homePageField_ = &MainInterface::require<Gtk::Entry>(builder_, "homePageField");
    downloadFolderPopUp_ =
        &MainInterface::require<Gtk::ComboBoxText>(builder_, "downloadFolderPopUp");
    appIconImage_ = &MainInterface::require<Gtk::Image>(builder_, "appIconImage");
    for (int i = 0; i < 3; ++i) {
        cookieButtons_[i] = &MainInterface::require<Gtk::RadioButton>(builder_, kCookieIds[i]);
    }
    shortcutRecorder_ = Gtk::manage(new VLShortcutRecorder());
    MainInterface::require<Gtk::Box>(builder_, "shortcutSlot").add(*shortcutRecorder_);
    shortcutRecorder_->show();
    MainInterface::require<Gtk::Label>(builder_, "shortcutLabel")
        .set_mnemonic_widget(*shortcutRecorder_);

    loadValues();

    VLSettingsManager& settings = VLSettingsManager::sharedManager();
    startPagePopUp_->signal_changed().connect([this, &settings] {
        if (!loading_) {
            settings.setOpenEmptyPage(startPagePopUp_->get_active_row_number() == 1);
        }
    });
    homePageField_->signal_activate().connect([this] { storeHomePage(); });
    homePageField_->signal_focus_out_event().connect([this](GdkEventFocus*) {
        storeHomePage();
        return false;
    });
    downloadFolderPopUp_->signal_changed().connect([this] {
        if (!loading_ && downloadFolderPopUp_->get_active_row_number() == 1) {
            chooseDownloadFolder();
        }
    });
    for (unsigned long policy = 0; policy < 3; ++policy) {
        Gtk::RadioButton* button = cookieButtons_[policy];
        button->signal_toggled().connect([this, button, policy, &settings] {
            if (!loading_ && button->get_active()) {
                settings.setCookiesAllow(policy);
            }
        });
    }
    for (const Switch& each : kSwitches) {
        auto& box = MainInterface::require<Gtk::CheckButton>(builder_, each.id);
        box.signal_toggled().connect([this, &box, each, &settings] {
            if (loading_) {
                return;
            }
            const bool state = box.get_active();
            (settings.*each.set)(state);
            if (each.notification) {
                NotificationCenter::defaultCenter().post(each.notification, state);
            }
        });
    }
    MainInterface::require<Gtk::Button>(builder_, "changeIconButton")
        .signal_clicked()
        .connect([this] { chooseIcon(); });

    if (VLCorvaManager::enterpriseBuild()) {
        for (const char* id : {"homePageLabel", "homePageField", "appIconLabel", "appIconBox"}) {
            auto& widget = MainInterface::require<Gtk::Widget>(builder_, id);
            widget.set_no_show_all(true);
            widget.hide();
        }
    }
}

VLGeneralSettingsViewController::~VLGeneralSettingsViewController() = default;

void VLGeneralSettingsViewController::loadValues() {
    loading_ = true;
    VLSettingsManager& settings = VLSettingsManager::sharedManager();
    startPagePopUp_->set_active(settings.openEmptyPage() ? 1 : 0);
    const nlohmann::json stored = settings.settings();
    auto url = stored.find("main_url");
    homePageField_->set_text(url != stored.end() && url->is_string() ? url->get<std::string>()
                                                                     : std::string());
    const unsigned long policy = settings.cookiesAllow();
    cookieButtons_[policy < 3 ? policy : 0]->set_active(true);
    for (const Switch& each : kSwitches) {
        MainInterface::require<Gtk::CheckButton>(builder_, each.id)
            .set_active((settings.*each.get)());
    }
    loading_ = false;
    showDownloadFolder();
    showIcon();
}

void VLGeneralSettingsViewController::storeHomePage() {
    VLSettingsManager::sharedManager().setUrl(std::string(homePageField_->get_text()));
}

void VLGeneralSettingsViewController::viewDidDisappear() {
    storeHomePage();
    VLSettingsManager::sharedManager().saveSettings();
}

void VLGeneralSettingsViewController::showDownloadFolder() {
    loading_ = true;
    downloadFolderPopUp_->remove_all();
    downloadFolderPopUp_->append(
        Glib::path_get_basename(VLSettingsManager::sharedManager().pathToDownloadsFolder()));
    downloadFolderPopUp_->append("Other…");
    downloadFolderPopUp_->set_active(0);
    loading_ = false;
}

Gtk::Window* VLGeneralSettingsViewController::window() {
    return dynamic_cast<Gtk::Window*>(view_->get_toplevel());
}

Glib::RefPtr<Gtk::FileChooserNative> VLGeneralSettingsViewController::makeChooser(
    const std::string& title, Gtk::FileChooserAction action, const std::string& accept) {
    if (Gtk::Window* parent = window()) {
        return Gtk::FileChooserNative::create(title, *parent, action, accept, "Cancel");
    }
    return Gtk::FileChooserNative::create(title, action, accept, "Cancel");
}

void VLGeneralSettingsViewController::chooseDownloadFolder() {
    chooser_ =
        makeChooser("Choose the Download Folder", Gtk::FILE_CHOOSER_ACTION_SELECT_FOLDER, "OK");
    chooser_->set_modal(true);
    chooser_->set_select_multiple(false);
    chooser_->set_create_folders(true);
    chooser_->set_current_folder(VLSettingsManager::sharedManager().pathToDownloadsFolder());
    chooser_->signal_response().connect([this](int response) {
        std::string path;
        if (response == Gtk::RESPONSE_ACCEPT) {
            path = chooser_->get_filename();
        }
        downloadFolderChosen(path);
    });
    chooser_->show();
}

void VLGeneralSettingsViewController::downloadFolderChosen(const std::string& path) {
    if (!path.empty()) {
        VLSettingsManager::sharedManager().setPathToDownloadFolder(path);
    }
    showDownloadFolder();  // the first entry is selected again in every case
}

void VLGeneralSettingsViewController::chooseIcon() {
    chooser_ = makeChooser("Choose the App Icon", Gtk::FILE_CHOOSER_ACTION_OPEN, "Choose");
    chooser_->set_modal(true);
    chooser_->set_select_multiple(false);
    auto filter = Gtk::FileFilter::create();
    filter->set_name("Images (jpg, png, icns, gif, tiff)");
    for (const char* type : {"jpg", "jpeg", "png", "icns", "gif", "tiff", "tif"}) {
        filter->add_pattern(std::string("*.") + type);
        filter->add_pattern("*." + Glib::ustring(type).uppercase());
    }
    chooser_->add_filter(filter);
    chooser_->signal_response().connect([this](int response) {
        if (response == Gtk::RESPONSE_ACCEPT) {
            iconChosen(chooser_->get_filename());
        }
    });
    chooser_->show();
}

void VLGeneralSettingsViewController::iconChosen(const std::string& path) {
    if (path.empty()) {
        return;
    }
    std::string problem;
    std::optional<Image> image = Image::fromFile(path, &problem);
    if (!image) {
        Log::warning("app icon not changed: ", problem);
        showError("The image could not be read: " + problem);
        return;
    }
    if (image->pixelWidth() != image->pixelHeight()) {
        showError(kNotSquare);
        return;
    }
    Error error;
    if (!VLSettingsManager::sharedManager().saveIcon(*image, &error)) {
        showError(error.localizedDescription);
        return;
    }
    showIcon();
}

void VLGeneralSettingsViewController::showError(const std::string& message) {
    AlertDialog::present(Alert::vellErrorAlertWithMessage(message), window(), nullptr);
}

void VLGeneralSettingsViewController::showIcon() {
    std::optional<Image> icon = Image::fromFile(Bundle::main().resourcePath() + "/AppIcon.icns");
    if (!icon) {
        return;  // the theme's generic icon stays
    }
    auto scaled = GObjectPtr<GdkPixbuf>::adopt(
        gdk_pixbuf_scale_simple(icon->pixbuf(), 48, 48, GDK_INTERP_BILINEAR));
    if (scaled) {
        gtk_image_set_from_pixbuf(appIconImage_->gobj(), scaled.get());
    }
}
