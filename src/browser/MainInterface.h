#pragma once

#include <gtkmm/builder.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// The bundle's interface file Resources/Base.lproj/Main.ui: windows, popovers and menus are
// instantiated from it by object id, each time from a fresh builder.
class MainInterface {
  public:
    // The interface file and the code disagree: an object is missing or of another kind.
    class MissingObject : public std::runtime_error {
      public:
        explicit MissingObject(const std::string& id)
            : std::runtime_error("the interface has no object \"" + id +
                                 "\" of the kind the code expects") {}
    };

    static std::string path();

    // The widget with that id in `builder`; throws MissingObject naming the id instead of
    // handing back nothing.
    template <class T>
    static T& require(const Glib::RefPtr<Gtk::Builder>& builder, const char* id) {
        Glib::RefPtr<Glib::Object> object;
        if (builder) {
            object = builder->get_object(id);
        }
        auto* widget = dynamic_cast<T*>(object.get());
        if (!widget) {
            throw MissingObject(id);
        }
        return *widget;
    }
    // A builder holding only the named objects (and what they contain); null with a log line when
    // the file or an object is missing.
    static Glib::RefPtr<Gtk::Builder> builderFor(const std::vector<Glib::ustring>& objectIds);
    // The same from another interface file of Resources/Base.lproj ("Preferences.ui").
    static Glib::RefPtr<Gtk::Builder> builderFromFile(const std::string& fileName,
                                                      const std::vector<Glib::ustring>& objectIds);
    // Logs what is missing, with the file's path.
    static void reportMissing(const MissingObject& missing);

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
        try {
            // Asked without making a C++ wrapper, which would stand in the derived one's way.
            if (gtk_builder_get_object(builder->gobj(), objectId.c_str())) {
                builder->get_widget_derived(objectId, widget);
            }
            if (!widget) {
                throw MissingObject(objectId);
            }
        } catch (const MissingObject& missing) {
            reportMissing(missing);
            return nullptr;
        }
        return std::unique_ptr<T>(widget);
    }
};
