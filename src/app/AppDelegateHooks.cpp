// Every hook the application gives the layers below it, in one place: those layers cannot
// include the application, so they offer a slot and the application fills it here.
#include "app/AppDelegate.h"
#include "autofill/VLServiceManager.h"
#include "browser/VLMainWindowController.h"
#include "maintenance_ui/DesktopIntegration.h"
#include "statusbar/MenuBarMode.h"

void AppDelegate::installHooks() {
    // The settings store's global shortcut and application icon.
    DesktopIntegration::install();
    VLMainWindowController::setAppNameProvider([this] { return appName(); });
    // Every new main window gets the menu bar.
    VLMainWindowController::setWindowDecorator(
        [this](VLMainWindowController& controller) { decorate(controller); });
    VLMainWindowController::setWindowWillClose(
        [this](VLMainWindowController& controller) { windowWillClose(controller); });
    // A clicked notification brings the frontmost window forward (the popup browser in
    // menu-bar mode).
    VLServiceManager::setActivationHandler([this] {
        if (bringPopUpBrowserForward()) {
            return;
        }
        if (VLMainWindowController* top = getTopMainController()) {
            top->window().present();
        }
    });
}

bool AppDelegate::bringPopUpBrowserForward() {
    // Reopening, a second launch, the global shortcut and clicked notifications all come here.
    if (!menuBarMode_ || !menuBarMode_->active()) {
        return false;
    }
    menuBarMode_->openPopUpBrowser();
    return true;
}

void AppDelegate::uninstallHooks() {
    VLMainWindowController::setAppNameProvider(nullptr);
    VLMainWindowController::setWindowDecorator(nullptr);
    VLMainWindowController::setWindowWillClose(nullptr);
    VLServiceManager::setActivationHandler(nullptr);
}
