#include "preferences/WindowColorChoice.h"

#include "browser/VLMainWindowController.h"
#include "foundation/NotificationCenter.h"
#include "foundation/NotificationNames.h"
#include "stores/VLSettingsManager.h"

namespace {
void paintWindows(const Color& color) {
    for (VLMainWindowController* controller : VLMainWindowController::openControllers()) {
        controller->window().setWindowColor(color);
    }
}
}  // namespace

Color WindowColorChoice::colorFrom(const Gdk::RGBA& rgba) {
    return Color::rgb(rgba.get_red(), rgba.get_green(), rgba.get_blue(), rgba.get_alpha());
}

Gdk::RGBA WindowColorChoice::rgbaFrom(const Color& color) {
    Gdk::RGBA rgba;
    rgba.set_rgba(color.red(), color.green(), color.blue(), color.alpha());
    return rgba;
}

Gdk::RGBA WindowColorChoice::current() {
    return rgbaFrom(VLSettingsManager::sharedManager().windowColor());
}

void WindowColorChoice::choose(const Gdk::RGBA& rgba, bool stopFollowingPage) {
    const Color color = colorFrom(rgba);
    paintWindows(color);
    VLSettingsManager& settings = VLSettingsManager::sharedManager();
    settings.setIsWindowColorSystem(false);
    settings.setWindowColor(color);
    if (stopFollowingPage) {
        settings.setAutoWindowColor(false);
    }
    settings.saveSettings();
}

Gdk::RGBA WindowColorChoice::reset(bool followPage) {
    const Color color = Color::windowBackground();
    paintWindows(color);
    VLSettingsManager& settings = VLSettingsManager::sharedManager();
    settings.setIsWindowColorSystem(true);
    settings.setWindowColor(color);
    if (followPage) {
        settings.setAutoWindowColor(true);
    }
    settings.saveSettings();
    if (followPage) {
        NotificationCenter::defaultCenter().post(notification::updateWindowBackgroundColor);
    }
    return rgbaFrom(color);
}
