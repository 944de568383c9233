#include "maintenance_ui/AlertDialog.h"

#include <glibmm/main.h>

namespace {
Gtk::MessageType messageType(Alert::Style style) {
    switch (style) {
        case Alert::Style::Warning:
            return Gtk::MESSAGE_WARNING;
        case Alert::Style::Critical:
            return Gtk::MESSAGE_ERROR;
        default:
            return Gtk::MESSAGE_INFO;
    }
}
}  // namespace

std::unique_ptr<Gtk::MessageDialog> AlertDialog::create(const Alert& alert, Gtk::Window* parent) {
    std::unique_ptr<Gtk::MessageDialog> dialog;
    if (parent) {
        dialog = std::make_unique<Gtk::MessageDialog>(
            *parent, alert.messageText, false, messageType(alert.style), Gtk::BUTTONS_NONE, true);
    } else {
        dialog = std::make_unique<Gtk::MessageDialog>(
            alert.messageText, false, messageType(alert.style), Gtk::BUTTONS_NONE, true);
    }
    if (!alert.informativeText.empty()) {
        dialog->set_secondary_text(alert.informativeText);
    }
    for (size_t i = 0; i < alert.buttons.size(); ++i) {
        dialog->add_button(alert.buttons[i], static_cast<int>(i));
    }
    if (!alert.buttons.empty()) {
        dialog->set_default_response(0);
    }
    return dialog;
}

int AlertDialog::run(const Alert& alert, Gtk::Window* parent) {
    auto dialog = create(alert, parent);
    int response = dialog->run();
    return response >= 0 ? response : -1;
}

void AlertDialog::present(const Alert& alert, Gtk::Window* parent, std::function<void(int)> done) {
    std::shared_ptr<Gtk::MessageDialog> dialog = create(alert, parent);
    dialog->signal_response().connect([dialog, done = std::move(done)](int response) mutable {
        dialog->hide();
        // Release the dialog after the handler returns; the lambda owns it until then.
        auto keep = std::move(dialog);
        Glib::signal_idle().connect_once([keep]() {});
        if (done) {
            done(response >= 0 ? response : -1);
        }
    });
    dialog->show();
}
