#pragma once

#include <gtkmm/entry.h>
#include <gtkmm/messagedialog.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

// The sheet that asks for a user name and password when a site wants HTTP authentication:
// "Authentication Required", the host, "Log In" and "Cancel".
class VLAuthenticationSheet {
  public:
    struct Login {
        std::string username;
        std::string password;
    };
    using Done = std::function<void(std::optional<Login>)>;

    // Shows it on `parent` (may be null); `done` gets the login, or nothing for Cancel.
    static std::unique_ptr<VLAuthenticationSheet> present(Gtk::Window* parent,
                                                          const std::string& host, Done done);
    ~VLAuthenticationSheet();

    Gtk::MessageDialog& dialog() { return dialog_; }
    Gtk::Entry& usernameField() { return username_; }
    Gtk::Entry& passwordField() { return password_; }

    // The sheets on screen now (tests answer them).
    static VLAuthenticationSheet* shown();

  private:
    VLAuthenticationSheet(Gtk::Window* parent, const std::string& host, Done done);

    Gtk::MessageDialog dialog_;
    Gtk::Entry username_;
    Gtk::Entry password_;
    Done done_;
};
