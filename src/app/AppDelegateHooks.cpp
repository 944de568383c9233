// Every hook the application gives the layers below it, in one place: those layers cannot
// include the application, so they offer a slot and the application fills it here.
#include "app/AppDelegate.h"
#include "autofill/VLServiceManager.h"
#include "browser/VLMainWindowController.h"
#include "maintenance_ui/DesktopIntegration.h"

void AppDelegate::installHooks() {
    // The settings store's global shortcut and application icon.
    DesktopIntegration::install();
    VLMainWindowController::setAppNameProvider([this] { return appName(); });
    // Every new main window gets the menu bar.
    VLMainWindowController::setWindowDecorator(
        [this](VLMainWindowController& controller) { decorate(controller); });
    VLMainWindowController::setWindowWillClose(
        [this](VLMainWindowController& controller) { windowWillClose(controller); });
    // A clicked notification brings the frontmost window forward.
    VLServiceManager::setActivationHandler([this] {
        if (VLMainWindowController* top = getTopMainController()) {
            top->window().present();
        }
    });
}

void AppDelegate::uninstallHooks() {
    VLMainWindowController::setAppNameProvider(nullptr);
    VLMainWindowController::setWindowDecorator(nullptr);
    VLMainWindowController::setWindowWillClose(nullptr);
    VLServiceManager::setActivationHandler(nullptr);
}
