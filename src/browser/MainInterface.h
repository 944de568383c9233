#pragma once

#include <gtkmm/builder.h>

#include <memory>
#include <string>
#include <vector>

// The bundle's interface file Resources/Base.lproj/Main.ui: windows, popovers and menus are
// instantiated from it by object id, each time from a fresh builder.
class MainInterface {
  public:
    static std::string path();
    // A builder holding only the named objects (and what they contain); null with a log line when
    // the file or an object is missing.
    static Glib::RefPtr<Gtk::Builder> builderFor(const std::vector<Glib::ustring>& objectIds);

    // A widget of class T (derived from the file's class) made from the object with that id;
    // `alsoNeeded` names objects it refers to (menus, for one).
    template <class T>
    static std::unique_ptr<T> instantiate(const std::string& objectId,
                                          std::vector<Glib::ustring> alsoNeeded = {}) {
        alsoNeeded.insert(alsoNeeded.begin(), objectId);
        Glib::RefPtr<Gtk::Builder> builder = builderFor(alsoNeeded);
        if (!builder) {
            return nullptr;
        }
        T* widget = nullptr;
        builder->get_widget_derived(objectId, widget);
        return std::unique_ptr<T>(widget);
    }
};
