#include "browser/VLAuthenticationSheet.h"

#include <gtkmm/grid.h>
#include <gtkmm/label.h>

namespace {
VLAuthenticationSheet*& current() {
    static VLAuthenticationSheet* sheet = nullptr;
    return sheet;
}

enum Response { kLogIn = 1, kCancel = 2 };
}  // namespace

std::unique_ptr<VLAuthenticationSheet> VLAuthenticationSheet::present(Gtk::Window* parent,
                                                                      const std::string& host,
                                                                      Done done) {
    return std::unique_ptr<VLAuthenticationSheet>(
        new VLAuthenticationSheet(parent, host, std::move(done)));
}

VLAuthenticationSheet::VLAuthenticationSheet(Gtk::Window* parent, const std::string& host,
                                             Done done)
    : dialog_("Authentication Required", false, Gtk::MESSAGE_QUESTION, Gtk::BUTTONS_NONE, true),
      done_(std::move(done)) {
    dialog_.set_secondary_text("To view this page, you must login to this area on " + host);
    if (parent) {
        dialog_.set_transient_for(*parent);
    }
    auto* grid = Gtk::manage(new Gtk::Grid());
    grid->set_row_spacing(6);
    grid->set_column_spacing(12);
    grid->set_size_request(300, 56);
    auto* userLabel = Gtk::manage(new Gtk::Label("Username", Gtk::ALIGN_END));
    auto* passwordLabel = Gtk::manage(new Gtk::Label("Password", Gtk::ALIGN_END));
    userLabel->set_mnemonic_widget(username_);
    passwordLabel->set_mnemonic_widget(password_);
    username_.set_size_request(230, 24);
    password_.set_size_request(230, 24);
    password_.set_visibility(false);
    password_.set_input_purpose(Gtk::INPUT_PURPOSE_PASSWORD);
    username_.set_activates_default(true);
    password_.set_activates_default(true);
    grid->attach(*userLabel, 0, 0);
    grid->attach(username_, 1, 0);
    grid->attach(*passwordLabel, 0, 1);
    grid->attach(password_, 1, 1);
    dialog_.get_message_area()->pack_start(*grid, Gtk::PACK_SHRINK);
    dialog_.add_button("Cancel", kCancel);
    dialog_.add_button("Log In", kLogIn)->grab_default();
    dialog_.set_default_response(kLogIn);
    dialog_.signal_response().connect([this](int response) {
        Done done = std::move(done_);
        dialog_.hide();
        if (current() == this) {
            current() = nullptr;
        }
        if (done) {
            done(response == kLogIn
                     ? std::optional<Login>(Login{username_.get_text(), password_.get_text()})
                     : std::nullopt);
        }
    });
    dialog_.show_all();
    username_.grab_focus();
    current() = this;
}

VLAuthenticationSheet::~VLAuthenticationSheet() {
    if (current() == this) {
        current() = nullptr;
    }
}

VLAuthenticationSheet* VLAuthenticationSheet::shown() {
    return current();
}
