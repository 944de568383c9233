#include "preferences/VLAboutViewController.h"

#include <gtkmm/image.h>
#include <gtkmm/label.h>
#include <gtkmm/textview.h>

#include "app/VLCorvaManager.h"
#include "browser/MainInterface.h"
#include "foundation/Bundle.h"
#include "foundation/Files.h"
#include "foundation/Log.h"
#include "foundation/Plist.h"
#include "maintenance/Image.h"

namespace {
constexpr const char* kNotice =
    "This app shows one website as an application of its own, on the WebKitGTK engine. Links "
    "to other sites open in your default browser.\n\nIt comes with no warranty of any kind.";
constexpr const char* kCopyright = "Copyright © the Sitebox developers";

std::string stringOf(const nlohmann::json& object, const char* key) {
    auto it = object.find(key);
    return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}
}  // namespace

VLAboutViewController::VLAboutViewController()
    : builder_(MainInterface::builderFromFile("About.ui", {"AboutView"})) {
    view_ = &MainInterface::require<Gtk::Widget>(builder_, "AboutView");
    auto& appTitle = MainInterface::require<Gtk::Label>(builder_, "appTitleField");
    auto& detail = MainInterface::require<Gtk::Label>(builder_, "browserDetailField");
    auto& text = MainInterface::require<Gtk::TextView>(builder_, "aboutTextView");
    auto& copyright = MainInterface::require<Gtk::Label>(builder_, "copyrightField");
    auto& lists = MainInterface::require<Gtk::Label>(builder_, "adBlockListsField");

    std::string aboutTitle = "Corva";
    std::string detailText = "Corva Browser " + Bundle::main().shortVersion();
    std::string aboutText = kNotice;
    std::string copyrightText = kCopyright;
    if (VLCorvaManager::enterpriseBuild()) {
        if (auto path = Bundle::main().pathForResource("AboutApp", "plist")) {
            std::string problem;
            if (auto about = Plist::readFile(*path, &problem); about && about->is_object()) {
                auto take = [&](const char* key, std::string& into) {
                    if (std::string value = stringOf(*about, key); !value.empty()) {
                        into = value;
                    }
                };
                take("appTitle", title_);
                take("aboutTitle", aboutTitle);
                take("aboutText", aboutText);
                take("browserDetailText", detailText);
                take("copyrightText", copyrightText);
            } else {
                Log::warning("AboutApp.plist not read: ",
                             problem.empty() ? "not a dictionary" : problem);
            }
        }
    }
    appTitle.set_text(aboutTitle);
    detail.set_text(detailText);
    text.get_buffer()->set_text(aboutText);
    copyright.set_text(copyrightText);

    std::string listsText;
    if (auto path = Bundle::main().pathForResource("rules-version", "json")) {
        Files::ReadResult file = Files::read(*path);
        nlohmann::json version = nlohmann::json::parse(file.data, nullptr, false);
        if (file.ok() && version.is_object()) {
            listsText = adBlockingText(version);
        } else {
            Log::warning(*path, ": not read, the About pane leaves the ad-blocking lists out");
        }
    }
    lists.set_text(listsText);
    lists.set_visible(!listsText.empty());

    if (auto icon = Image::fromFile(Bundle::main().resourcePath() + "/AppIcon.icns")) {
        auto scaled = GObjectPtr<GdkPixbuf>::adopt(
            gdk_pixbuf_scale_simple(icon->pixbuf(), 64, 64, GDK_INTERP_BILINEAR));
        if (scaled) {
            gtk_image_set_from_pixbuf(
                MainInterface::require<Gtk::Image>(builder_, "appIconImage").gobj(), scaled.get());
        }
    }
}

std::string VLAboutViewController::adBlockingText(const nlohmann::json& version) {
    std::string text;
    auto lists = version.find("lists");
    if (lists == version.end() || !lists->is_array()) {
        return text;
    }
    for (const nlohmann::json& list : *lists) {
        if (!list.is_object()) {
            continue;
        }
        std::string line = stringOf(list, "title");
        if (line.empty()) {
            continue;
        }
        if (std::string number = stringOf(list, "version"); !number.empty()) {
            line += ", version " + number;
        }
        if (std::string modified = stringOf(list, "lastModified"); !modified.empty()) {
            line += ", last modified " + modified;
        }
        text += (text.empty() ? "Ad-blocking lists: " : "; ") + line;
    }
    if (std::string source = stringOf(version, "source"); !source.empty() && !text.empty()) {
        text += " (from " + source + ")";
    }
    return text;
}
