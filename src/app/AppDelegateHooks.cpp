// Every hook the application gives the layers below it, in one place: those layers cannot
// include the application, so they offer a slot and the application fills it here.
#include "app/AppDelegate.h"
#include "autofill/VLServiceManager.h"
#include "autofill_ui/VLAutoFillHandler.h"
#include "browser/VLMainWindowController.h"
#include "browser/VLNotificationHandler.h"
#include "browser/VLScriptMessageHandler.h"
#include "foundation/NoDestructor.h"
#include "maintenance_ui/DesktopIntegration.h"
#include "statusbar/MenuBarMode.h"

namespace {
AppDelegate::WindowPresenter& windowPresenter() {
    static NoDestructor<AppDelegate::WindowPresenter> presenter;
    return *presenter;
}

// The token lets the window come forward past focus-stealing prevention.
void presentWindow(VLMainWindowController& controller, const std::string& token) {
    if (!token.empty()) {
        controller.window().set_startup_id(token);
    }
    controller.window().present();
}
}  // namespace

void AppDelegate::setWindowPresenter(WindowPresenter presenter) {
    windowPresenter() = std::move(presenter);
}

void AppDelegate::installHooks() {
    // The settings store's global shortcut and application icon.
    DesktopIntegration::install();
    VLMainWindowController::setAppNameProvider([this] { return appName(); });
    // Every new main window gets the menu bar.
    VLMainWindowController::setWindowDecorator(
        [this](VLMainWindowController& controller) { decorate(controller); });
    VLMainWindowController::setWindowWillClose(
        [this](VLMainWindowController& controller) { windowWillClose(controller); });
    // A clicked notification brings the app forward (the popup browser in menu-bar mode, else
    // the frontmost window, with the notification server's token) and reaches its page.
    VLServiceManager::setActivationHandler(
        [this](const std::string& identifier, const std::string& token) {
            if (!bringPopUpBrowserForward()) {
                if (VLMainWindowController* top = getTopMainController()) {
                    if (auto& presenter = windowPresenter()) {
                        presenter(*top, token);
                    } else {
                        presentWindow(*top, token);
                    }
                }
            }
            VLNotificationHandler::sharedHandler().notificationClicked(identifier);
        });
    // What pages post on the page bridge's channels.
    VLScriptMessageHandler& bridge = VLScriptMessageHandler::sharedHandler();
    bridge.setRoute(VLScriptMessageHandler::kNotificationsChannel, [](const nlohmann::json& body,
                                                                      WebKitWebView* view) {
        VLNotificationHandler::sharedHandler().handleNotificationWithParameters(body, view);
    });
    bridge.setRoute(VLScriptMessageHandler::kAutoFillChannel,
                    [](const nlohmann::json& body, WebKitWebView* view) {
                        VLAutoFillHandler::shared().handleAutoFill(body, view);
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
    VLScriptMessageHandler& bridge = VLScriptMessageHandler::sharedHandler();
    bridge.setRoute(VLScriptMessageHandler::kNotificationsChannel, nullptr);
    bridge.setRoute(VLScriptMessageHandler::kAutoFillChannel, nullptr);
}
