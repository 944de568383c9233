#pragma once

#include <gtkmm/builder.h>
#include <nlohmann/json.hpp>

#include <string>

#include "preferences/VLSettingsPane.h"

// The About pane (About.ui): the product and its version, a notice, the ad-blocking lists the
// bundle carries (Resources/rules-version.json) and, in an enterprise build, the texts of the
// bundle's "AboutApp" property list.
class VLAboutViewController : public VLSettingsPane {
  public:
    // Throws MainInterface::MissingObject when the interface lacks a field.
    VLAboutViewController();

    Gtk::Widget& view() override { return *view_; }
    // The sidebar keeps "About" unless the bundle names the pane.
    std::string title() const override { return title_; }

  private:
    // One entry per list: its title, version and date, then the package they came from.
    static std::string adBlockingText(const nlohmann::json& version);

    Glib::RefPtr<Gtk::Builder> builder_;
    Gtk::Widget* view_ = nullptr;
    std::string title_;
};
