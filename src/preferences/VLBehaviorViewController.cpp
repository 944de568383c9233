#include "preferences/VLBehaviorViewController.h"

#include <gtkmm/checkbutton.h>

#include <algorithm>
#include <cstdio>

#include "browser/MainInterface.h"
#include "foundation/NotificationCenter.h"
#include "foundation/NotificationNames.h"
#include "preferences/VLIntegerValueFormatter.h"
#include "stores/VLBehaviorManager.h"
#include "stores/VLSettingsManager.h"

namespace {
struct Switch {
    const char* id;
    bool (VLBehaviorManager::*get)() const;
    void (VLBehaviorManager::*set)(bool);
};

const Switch kSwitches[] = {
    {"openTabInsteadWindowCheck", &VLBehaviorManager::openTabInsteadWindow,
     &VLBehaviorManager::setOpenTabInsteadWindow},
    {"openOtherAppInBackgroundCheck", &VLBehaviorManager::openOtherAppInBackground,
     &VLBehaviorManager::setOpenOtherAppInBackground},
    {"openDefaultLinkInNewTabCheck", &VLBehaviorManager::openDefaultLinkInNewTab,
     &VLBehaviorManager::setOpenDefaultLinkInNewTab},
    {"autoRefreshCheck", &VLBehaviorManager::autoRefreshTheViewOnLoad,
     &VLBehaviorManager::setAutoRefreshTheViewOnLoad},
    {"restoreWindowsCheck", &VLBehaviorManager::restoreWindowsAndTabs,
     &VLBehaviorManager::setRestoreWindowsAndTabs},
    {"warnCloseWindowsCheck", &VLBehaviorManager::warnCloseWindows,
     &VLBehaviorManager::setWarnCloseWindows},
};

// New window, new tab, current tab; the fourth stands for a stored value that names none.
constexpr const char* kLinkIds[] = {"linksNewWindowRadio", "linksNewTabRadio",
                                    "linksCurrentTabRadio", "linksNoneRadio"};
}  // namespace

VLBehaviorViewController::VLBehaviorViewController()
    : builder_(MainInterface::builderFromFile("Behavior.ui", {"BehaviorView"})) {
    view_ = &MainInterface::require<Gtk::Widget>(builder_, "BehaviorView");
    closeWindowRadio_ = &MainInterface::require<Gtk::RadioButton>(builder_, "closeWindowRadio");
    hideWindowRadio_ = &MainInterface::require<Gtk::RadioButton>(builder_, "hideWindowRadio");
    windowSpacePopUp_ = &MainInterface::require<Gtk::ComboBoxText>(builder_, "windowSpacePopUp");
    refreshField_ = &MainInterface::require<Gtk::Entry>(builder_, "refreshField");
    for (int i = 0; i < 4; ++i) {
        linkButtons_[i] = &MainInterface::require<Gtk::RadioButton>(builder_, kLinkIds[i]);
    }
    loadValues();

    VLBehaviorManager& behavior = VLBehaviorManager::sharedManager();
    closeWindowRadio_->signal_toggled().connect([this, &behavior] {
        if (!loading_) {
            behavior.setCloseApplication(closeWindowRadio_->get_active());
        }
    });
    windowSpacePopUp_->signal_changed().connect([this, &behavior] {
        if (!loading_) {
            behavior.setWindowAllSpace(windowSpacePopUp_->get_active_row_number() != 0);
        }
    });
    for (const Switch& each : kSwitches) {
        auto& box = MainInterface::require<Gtk::CheckButton>(builder_, each.id);
        box.signal_toggled().connect([this, &box, each, &behavior] {
            if (!loading_) {
                (behavior.*each.set)(box.get_active());
            }
        });
    }
    for (unsigned long where = 0; where < 3; ++where) {
        Gtk::RadioButton* button = linkButtons_[where];
        button->signal_toggled().connect([this, button, where, &behavior] {
            if (!loading_ && button->get_active()) {
                behavior.setOpenLinksIn(where);
            }
        });
    }
    // Only an empty text or one whole integer can be typed.
    refreshField_->signal_insert_text().connect(
        [this](const Glib::ustring& text, int* position) {
            std::string result = refreshField_->get_text();
            const size_t at =
                std::min<size_t>(Glib::ustring(result).substr(0, *position).bytes(), result.size());
            result.insert(at, text);
            if (!VLIntegerValueFormatter::isPartialStringValid(result)) {
                g_signal_stop_emission_by_name(refreshField_->gobj(), "insert-text");
                refreshField_->error_bell();
            }
        },
        false);
    refreshField_->signal_changed().connect([this] {
        if (!loading_) {
            VLSettingsManager::sharedManager().setRefreshTimeInterval(
                VLIntegerValueFormatter::numberFrom(refreshField_->get_text()));
        }
    });
}

VLBehaviorViewController::~VLBehaviorViewController() = default;

void VLBehaviorViewController::loadValues() {
    loading_ = true;
    VLBehaviorManager& behavior = VLBehaviorManager::sharedManager();
    (behavior.closeApplication() ? closeWindowRadio_ : hideWindowRadio_)->set_active(true);
    windowSpacePopUp_->set_active(behavior.windowAllSpace() ? 1 : 0);
    for (const Switch& each : kSwitches) {
        MainInterface::require<Gtk::CheckButton>(builder_, each.id)
            .set_active((behavior.*each.get)());
    }
    const unsigned long where = behavior.openLinksIn();
    linkButtons_[where < 3 ? where : 3]->set_active(true);
    char text[64];
    std::snprintf(text, sizeof text, "%0.0f",
                  VLSettingsManager::sharedManager().refreshTimeInterval());
    refreshField_->set_text(text);
    loading_ = false;
}

void VLBehaviorViewController::viewDidAppear() {
    initialRefreshInterval_ = VLSettingsManager::sharedManager().refreshTimeInterval();
}

void VLBehaviorViewController::viewDidDisappear() {
    VLSettingsManager& settings = VLSettingsManager::sharedManager();
    if (settings.refreshTimeInterval() != initialRefreshInterval_) {
        NotificationCenter::defaultCenter().post(notification::refreshTimeIntervalChange);
        initialRefreshInterval_ = settings.refreshTimeInterval();
    }
    VLBehaviorManager::sharedManager().save();
    settings.saveSettings();
}
