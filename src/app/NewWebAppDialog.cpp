#include "app/NewWebAppDialog.h"

#include <giomm/desktopappinfo.h>
#include <gtkmm/grid.h>

#include "app/TemplateBundle.h"
#include "foundation/Bundle.h"
#include "foundation/Log.h"
#include "foundation/MainThread.h"
#include "foundation/NoDestructor.h"
#include "maintenance/Image.h"

namespace {
std::unique_ptr<NewWebAppDialog>& slot() {
    static NoDestructor<std::unique_ptr<NewWebAppDialog>> dialog;
    return *dialog;
}

NewWebAppDialog::Launcher& launcherSlot() {
    static NoDestructor<NewWebAppDialog::Launcher> launcher;
    return *launcher;
}

template <class Widget>
Widget* widget(const Glib::RefPtr<Gtk::Builder>& builder, const char* id) {
    Widget* found = nullptr;
    builder->get_widget(id, found);
    return found;
}
}  // namespace

void NewWebAppDialog::show(Gtk::Window* parent) {
    if (!slot()) {
        slot().reset(new NewWebAppDialog());
    }
    Gtk::Dialog& dialog = slot()->dialog_;
    if (parent) {
        dialog.set_transient_for(*parent);
    }
    dialog.present();
}

NewWebAppDialog* NewWebAppDialog::current() {
    return slot().get();
}

void NewWebAppDialog::setLauncher(Launcher launcher) {
    launcherSlot() = std::move(launcher);
}

NewWebAppDialog::NewWebAppDialog() {
    dialog_.set_title("New Web App");
    dialog_.set_resizable(false);
    builder_ = Gtk::Builder::create();
    try {
        builder_->add_from_file(Bundle::main().resourcePath() + "/Base.lproj/NewWebApp.ui");
    } catch (const Glib::Error& error) {
        Log::warning("New Web App dialog unavailable: ", error.what());
    }
    Gtk::Grid* fields = widget<Gtk::Grid>(builder_, "newWebAppFields");
    address_ = widget<Gtk::Entry>(builder_, "addressEntry");
    name_ = widget<Gtk::Entry>(builder_, "nameEntry");
    icon_ = widget<Gtk::FileChooserButton>(builder_, "iconChooser");
    preview_ = widget<Gtk::Image>(builder_, "iconPreview");
    width_ = widget<Gtk::SpinButton>(builder_, "widthSpin");
    height_ = widget<Gtk::SpinButton>(builder_, "heightSpin");
    spinner_ = widget<Gtk::Spinner>(builder_, "spinner");
    status_ = widget<Gtk::Label>(builder_, "statusLabel");
    dialog_.add_button("_Cancel", Gtk::RESPONSE_CANCEL);
    createButton_ = dialog_.add_button("C_reate", Gtk::RESPONSE_OK);
    dialog_.set_default_response(Gtk::RESPONSE_OK);
    if (!fields || !address_ || !name_ || !icon_ || !preview_ || !width_ || !height_ || !spinner_ ||
        !status_) {
        // Without its fields the dialog can only say so.
        createButton_->set_sensitive(false);
        auto* missing = Gtk::manage(new Gtk::Label("The app's dialog files are missing."));
        dialog_.get_content_area()->pack_start(*missing);
        missing->show();
        address_ = name_ = nullptr;
        return;
    }
    dialog_.get_content_area()->pack_start(*fields);
    auto filter = Gtk::FileFilter::create();
    filter->set_name("Images");
    filter->add_pixbuf_formats();
    icon_->add_filter(filter);
    icon_->signal_file_set().connect([this] { showIcon(); });
    showIcon();
    dialog_.signal_response().connect([this](int response) {
        if (response == Gtk::RESPONSE_OK) {
            create();
        } else if (!busy()) {
            dialog_.hide();
        }
    });
    dialog_.signal_delete_event().connect([this](GdkEventAny*) {
        if (!busy()) {
            dialog_.hide();
        }
        return true;
    });
}

NewWebAppDialog::~NewWebAppDialog() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

void NewWebAppDialog::showIcon() {
    std::string file = icon_->get_filename();
    if (file.empty()) {
        file = Bundle(TemplateBundle::locate()).resourcePath() + "/AppIcon.icns";
    }
    std::optional<Image> image = Image::fromFile(file);
    std::optional<Image> small = image ? resizeImage(*image, Size{48, 48}) : std::nullopt;
    if (small) {
        preview_->set(Glib::wrap(small->pixbuf(), true));
    } else {
        preview_->set_from_icon_name("image-missing", Gtk::ICON_SIZE_DIALOG);
    }
}

void NewWebAppDialog::create() {
    if (!address_ || busy()) {
        return;
    }
    AppCreator::Request request;
    request.address = address_->get_text();
    if (!AppCreator::webAddress(request.address)) {
        status_->set_text("Type the address of a web site, such as example.org.");
        address_->grab_focus();
        return;
    }
    if (!name_->get_text().empty()) {
        request.name = name_->get_text();
    }
    if (!icon_->get_filename().empty()) {
        request.icon = icon_->get_filename();
    }
    request.size = std::to_string(width_->get_value_as_int()) + "x" +
                   std::to_string(height_->get_value_as_int());
    createButton_->set_sensitive(false);
    spinner_->start();
    status_->set_text("Making the app…");
    std::weak_ptr<void> alive = life_.watch();
    worker_ = std::thread([this, request, alive, templatePath = TemplateBundle::locate()] {
        AppCreator::Result made = AppCreator::create(request, templatePath);
        MainThread::post([this, made, alive] {
            if (!alive.expired()) {
                finished(made);
            }
        });
    });
}

void NewWebAppDialog::finished(const AppCreator::Result& made) {
    worker_.join();
    spinner_->stop();
    createButton_->set_sensitive(true);
    if (!made.ok()) {
        status_->set_text(made.error);
        return;
    }
    for (const std::string& warning : made.warnings) {
        Log::print("web app ", made.name, ": ", warning);
    }
    status_->set_text("");
    Log::print("made web app ", made.bundlePath);
    if (launcherSlot()) {
        launcherSlot()(made);
    } else {
        launch(made);
    }
    address_->set_text("");
    name_->set_text("");
    icon_->unselect_all();
    showIcon();
    dialog_.hide();
}

void NewWebAppDialog::launch(const AppCreator::Result& made) {
    try {
        Glib::RefPtr<Gio::DesktopAppInfo> info =
            Gio::DesktopAppInfo::create_from_filename(made.desktopFile);
        if (info && info->launch(std::vector<Glib::RefPtr<Gio::File>>{})) {
            return;
        }
    } catch (const Glib::Error& error) {
        Log::warning("cannot start the new app: ", error.what());
    }
}
