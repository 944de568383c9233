#include "maintenance_ui/DesktopIntegration.h"

#include <gdk/gdk.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif
#include <gtk/gtk.h>
#include <keybinder.h>

#include <functional>
#include <string>

#include "foundation/Log.h"
#include "foundation/NoDestructor.h"
#include "maintenance/Image.h"
#include "maintenance_ui/DockTile.h"
#include "stores/VLSettingsManager.h"

namespace {
struct Binding {
    std::string accelerator;
    std::function<void()> action;
};

Binding& currentBinding() {
    static NoDestructor<Binding> binding;
    return *binding;
}

void onShortcut(const char*, void*) {
    if (currentBinding().action) {
        currentBinding().action();
    }
}

bool onX11() {
#ifdef GDK_WINDOWING_X11
    GdkDisplay* display = gdk_display_get_default();
    return display && GDK_IS_X11_DISPLAY(display);
#else
    return false;
#endif
}

bool bindShortcut(const std::string& accelerator, std::function<void()> action) {
    if (!onX11()) {
        Log::once("shortcut-no-x11", "global shortcut not available: no X11 display");
        return false;
    }
    Binding& binding = currentBinding();
    if (!binding.accelerator.empty()) {
        keybinder_unbind_all(binding.accelerator.c_str());
        binding.accelerator.clear();
    }
    binding.action = std::move(action);
    if (accelerator.empty()) {
        return true;
    }
    // Started with the first shortcut: without one, launching makes no keymap round trip.
    static bool initialised = false;
    if (!initialised) {
        keybinder_init();
        initialised = true;
    }
    if (!keybinder_bind(accelerator.c_str(), onShortcut, nullptr)) {
        return false;
    }
    binding.accelerator = accelerator;
    return true;
}

void setApplicationIcon(const Image& icon) {
    if (icon.isValid()) {
        DockTile::shared().setApplicationIcon(icon);
    }
}
}  // namespace

void DesktopIntegration::install() {
    VLSettingsManager::setShortcutBinder(bindShortcut);
    VLSettingsManager::setApplicationIconHandler(setApplicationIcon);
}
