// The operations a bundle configuration applies to the menus and the first window.
#include <giomm/simpleaction.h>

#include "app/AppDelegate.h"
#include "browser/VLMainWindowController.h"
#include "foundation/Log.h"
#include "foundation/NotificationNames.h"
#include "maintenance/ColorString.h"
#include "stores/VLSettingsManager.h"

#include <algorithm>

namespace {
VLMainWindowController* firstWindow() {
    const auto& open = VLMainWindowController::openControllers();
    return open.empty() ? nullptr : open.front();
}
}  // namespace

void AppDelegate::setMainWindowColor(const Color& color) {
    if (VLMainWindowController* top = getTopMainController()) {
        top->window().setWindowColor(color);
    }
    Log::line(colorIsLight(color) ? "LIGHT MODE....." : "DARK MODE.....");
}

void AppDelegate::setMainWindowTitle(bool) {
    if (VLMainWindowController* top = getTopMainController()) {
        top->updateWindowTitlebar();
    }
}

void AppDelegate::setMainWindowTitleIcon(bool) {
    if (VLMainWindowController* top = getTopMainController()) {
        top->updateWindowTitlebar();
    }
}

void AppDelegate::setMainWindowTitleBar(bool hidden) {
    if (VLMainWindowController* top = getTopMainController()) {
        top->updateWindowTitlebar();
    }
    NotificationCenter::defaultCenter().post(
        notification::titlebarVisibilityChange, {},
        {{notification::titlebarVisibilityKey, std::any(hidden)}});
}

void AppDelegate::setStausBarOption(bool show) {
    menuState_.setHidden("statusBarItem", !show);
    menuState_.setHidden("statusBarItemInViewMenu", !show);
    applyMenuState();
}

void AppDelegate::setHidePreferences(bool hide) {
    menuState_.setHidden("preferencesItem", hide);
    // Its accelerator goes with the menu item.
    if (auto action =
            Glib::RefPtr<Gio::SimpleAction>::cast_dynamic(app_->lookup_action("preferences"))) {
        action->set_enabled(!hide);
    }
    applyMenuState();
    if (VLMainWindowController* top = getTopMainController()) {
        top->hidePreferences(hide);
    }
}

void AppDelegate::setUserScriptStyleOption(bool show) {
    if (!show) {
        menuState_.setHidden("userStylesMenuItem", true);
        menuState_.setHidden("userScriptsMenuItem", true);
        applyMenuState();
    }
}

void AppDelegate::setMobileDesktopOption(bool show) {
    if (!show) {
        menuState_.setHidden("requestMobileVersionMenuItem", true);
        menuState_.setHidden("requestDesktopVersionMenuItem", true);
        applyMenuState();
    }
}

void AppDelegate::setBookmark(bool hide) {
    if (hide) {
        menuState_.setHidden("bookMarkMenu", true);
        menuState_.setHidden("showBookmark", true);
        applyMenuState();
    }
}

void AppDelegate::setDefaultWindowSize(Size size) {
    defaultFrame_ = Rect{mainScreenFrame().origin, size};
    if (VLMainWindowController* top = getTopMainController()) {
        setFrame(*top, defaultFrame_, true);
    }
}

void AppDelegate::setFirstWindowLevel(long level) {
    if (VLMainWindowController* first = firstWindow()) {
        first->window().set_keep_above(level == VLSettingsManager::kFloatingWindowLevel);
        first->window().set_keep_below(level == VLSettingsManager::kDesktopWindowLevel);
    }
}

void AppDelegate::setFirstWindowShadow(bool) {
    // Window shadows belong to the window manager here; the setting is kept in the store.
}

void AppDelegate::setFirstWindowAlpha(double alpha) {
    if (VLMainWindowController* first = firstWindow()) {
        first->window().set_opacity(std::clamp(alpha, 0.0, 1.0));
    }
}
