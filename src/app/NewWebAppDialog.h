#pragma once

#include <gtkmm/builder.h>
#include <gtkmm/dialog.h>
#include <gtkmm/entry.h>
#include <gtkmm/filechooserbutton.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>
#include <gtkmm/spinbutton.h>
#include <gtkmm/spinner.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "app/AppCreator.h"
#include "foundation/LifeToken.h"

// "New Web App…": the command line's --create in a small dialog (address, name, icon, window
// size). The app is made on a worker thread, since fetching the site may take seconds; then the
// new app starts and the dialog closes.
class NewWebAppDialog {
  public:
    // Shows the one dialog, made on first use, in front of `parent`.
    static void show(Gtk::Window* parent);
    static NewWebAppDialog* current();
    // What starts a made app; by default its desktop entry is launched.
    using Launcher = std::function<void(const AppCreator::Result& made)>;
    static void setLauncher(Launcher launcher);

    ~NewWebAppDialog();
    NewWebAppDialog(const NewWebAppDialog&) = delete;
    NewWebAppDialog& operator=(const NewWebAppDialog&) = delete;

    Gtk::Dialog& dialog() { return dialog_; }
    Gtk::Entry& addressEntry() { return *address_; }
    Gtk::Entry& nameEntry() { return *name_; }
    Gtk::Label& statusLabel() { return *status_; }
    bool busy() const { return worker_.joinable(); }
    void create();

  private:
    NewWebAppDialog();
    void finished(const AppCreator::Result& made);
    void showIcon();
    static void launch(const AppCreator::Result& made);

    Glib::RefPtr<Gtk::Builder> builder_;
    Gtk::Dialog dialog_;
    Gtk::Entry* address_ = nullptr;
    Gtk::Entry* name_ = nullptr;
    Gtk::FileChooserButton* icon_ = nullptr;
    Gtk::Image* preview_ = nullptr;
    Gtk::SpinButton* width_ = nullptr;
    Gtk::SpinButton* height_ = nullptr;
    Gtk::Spinner* spinner_ = nullptr;
    Gtk::Label* status_ = nullptr;
    Gtk::Widget* createButton_ = nullptr;
    std::thread worker_;
    LifeToken life_;
};
