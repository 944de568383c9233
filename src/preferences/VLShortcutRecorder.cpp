#include "preferences/VLShortcutRecorder.h"

#include <gdk/gdk.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif
#include <gtk/gtk.h>

#include "foundation/DefaultsKeys.h"
#include "foundation/GObjectPtr.h"
#include "foundation/UserDefaults.h"
#include "stores/VLSettingsManager.h"

namespace {
bool onX11() {
#ifdef GDK_WINDOWING_X11
    GdkDisplay* display = gdk_display_get_default();
    return display && GDK_IS_X11_DISPLAY(display);
#else
    return false;
#endif
}

bool isModifierKey(guint keyval) {
    switch (keyval) {
        case GDK_KEY_Shift_L:
        case GDK_KEY_Shift_R:
        case GDK_KEY_Control_L:
        case GDK_KEY_Control_R:
        case GDK_KEY_Alt_L:
        case GDK_KEY_Alt_R:
        case GDK_KEY_Meta_L:
        case GDK_KEY_Meta_R:
        case GDK_KEY_Super_L:
        case GDK_KEY_Super_R:
        case GDK_KEY_Hyper_L:
        case GDK_KEY_Hyper_R:
        case GDK_KEY_ISO_Level3_Shift:
        case GDK_KEY_Caps_Lock:
            return true;
        default:
            return false;
    }
}
}  // namespace

VLShortcutRecorder::VLShortcutRecorder() {
    available_ = onX11();
    if (!available_) {
        set_label("Not available on this desktop");
        set_tooltip_text(
            "Global shortcuts need an X11 session: this desktop (Wayland) lets no application "
            "bind a key for the whole desktop.");
        set_sensitive(false);
        return;
    }
    set_tooltip_text(
        "Click, then press the keys that bring the app forward from anywhere. "
        "Backspace clears the shortcut, Escape keeps it.");
    showShortcut();
}

void VLShortcutRecorder::showShortcut() {
    const std::string accelerator =
        UserDefaults::standard().stringForKey(defaults_key::globalShortcutKey).value_or("");
    guint key = 0;
    GdkModifierType modifiers{};
    gtk_accelerator_parse(accelerator.c_str(), &key, &modifiers);
    if (key == 0) {
        set_label("Record Shortcut");
        return;
    }
    GCharPtr label(gtk_accelerator_get_label(key, modifiers));
    set_label(label.get());
}

void VLShortcutRecorder::on_clicked() {
    if (!available_) {
        return;
    }
    recording_ = true;
    set_label("Type the shortcut…");
    grab_focus();
}

bool VLShortcutRecorder::record(guint keyval, Gdk::ModifierType modifiers) {
    if (!recording_) {
        return false;
    }
    const auto mods = static_cast<GdkModifierType>(static_cast<guint>(modifiers) &
                                                   gtk_accelerator_get_default_mod_mask());
    if (isModifierKey(keyval)) {
        return false;
    }
    if (mods == 0 && keyval == GDK_KEY_Escape) {
        recording_ = false;
        showShortcut();
        return true;
    }
    if (mods == 0 && (keyval == GDK_KEY_BackSpace || keyval == GDK_KEY_Delete)) {
        clear();
        return true;
    }
    const guint key = gdk_keyval_to_lower(keyval);
    // A plain letter would be taken from every other application.
    const bool functionKey = key >= GDK_KEY_F1 && key <= GDK_KEY_F35;
    if ((mods & ~GDK_SHIFT_MASK) == 0 && !functionKey) {
        set_label("Use Ctrl, Alt or Super with a key…");
        return false;
    }
    if (!gtk_accelerator_valid(key, mods)) {
        return false;
    }
    GCharPtr name(gtk_accelerator_name(key, mods));
    store(name.get());
    return true;
}

void VLShortcutRecorder::clear() {
    store("");
}

void VLShortcutRecorder::store(const std::string& accelerator) {
    recording_ = false;
    UserDefaults& defaults = UserDefaults::standard();
    if (accelerator.empty()) {
        defaults.removeObject(defaults_key::globalShortcutKey);
    } else {
        defaults.setString(defaults_key::globalShortcutKey, accelerator);
    }
    VLSettingsManager::sharedManager().registerShortCut();
    showShortcut();
}

bool VLShortcutRecorder::on_key_press_event(GdkEventKey* event) {
    if (recording_) {
        record(event->keyval, static_cast<Gdk::ModifierType>(event->state));
        return true;
    }
    return Gtk::Button::on_key_press_event(event);
}

bool VLShortcutRecorder::on_focus_out_event(GdkEventFocus* event) {
    if (recording_) {
        recording_ = false;
        showShortcut();
    }
    return Gtk::Button::on_focus_out_event(event);
}
