#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Geometry.h"
#include "foundation/LifeToken.h"
#include "maintenance/Alert.h"
#include "statusbar/PopUpBrowser.h"
#include "statusbar/Relauncher.h"
#include "statusbar/StatusBarMenu.h"
#include "statusbar/TrayItem.h"

class VLMainWindowController;

// Menu-bar mode: the app lives as a tray icon whose click opens the popup browser and whose menu
// adds a tab, switches back to regular mode (a restart), opens the preferences or quits. Its
// windows skip the taskbar. Where no tray host shows the icon, the app stays a regular one for
// the run and says why, once per try.
class MenuBarMode {
  public:
    // What the mode needs of the application.
    struct Application {
        std::string id;     // the tray item's id
        std::string title;  // the app's name
        // The main window whose content the popup shows (nothing: a new one is made).
        std::function<VLMainWindowController*()> mainController;
        std::function<void()> addTab;
        std::function<void()> showPreferences;
        std::function<void()> quit;
        // Saves what quitting saves; the switch back ends the process without the usual steps.
        std::function<void()> saveBeforeExit;
        // The window a notice belongs to.
        std::function<Gtk::Window*()> noticeParent;
    };
    // What tests replace.
    struct Services {
        std::shared_ptr<Relauncher> relauncher;           // a ProcessRelauncher when null
        std::function<void(const Alert&)> presentNotice;  // an alert dialog when empty
        unsigned trayHostTimeoutMs = 5000;                // how long an X11 tray may take
    };

    MenuBarMode(Application application, Services services);
    ~MenuBarMode();
    MenuBarMode(const MenuBarMode&) = delete;
    MenuBarMode& operator=(const MenuBarMode&) = delete;

    // Puts the icon in the tray and, once a host shows it, enters the mode around the main
    // window: `done(true)`. With no tray host: the notice, and `done(false)`. `saveFlag` stores
    // the mode for the next launches once it is entered.
    void showAsStatusItem(bool saveFlag, std::function<void(bool entered)> done);
    bool active() const { return active_; }

    // Toggles the popup browser, hung from `anchor` (the icon) when given.
    void showPopUpBrowser(const std::optional<Rect>& anchor);
    // Brings the popup browser forward (a second launch, the global shortcut, a notification).
    void openPopUpBrowser();
    void showStatusBarMenu(const std::optional<Point>& at);
    // Saves the mode as off, starts the bundle's executable again after a second, and ends.
    void switchToNormalMode();
    // A main window is about to close: the popup gives its content back first.
    void windowWillClose(VLMainWindowController& controller);

    PopUpBrowser* popUpBrowser() const { return popUpBrowser_.get(); }
    StatusBarMenu& statusBarMenu() { return menu_; }
    TrayItem* trayItem() const { return tray_.get(); }

    // The bundle's executable, alone: what a restart starts.
    static std::vector<std::string> relaunchArguments();
    static Alert noTrayHostNotice(bool flagKept);

  private:
    void enter(bool saveFlag);
    void command(TrayCommand command);
    void skipTaskbar(Gtk::Window& window);
    void hold(bool on);

    Application app_;
    Services services_;
    StatusBarMenu menu_;
    std::unique_ptr<TrayItem> tray_;
    std::unique_ptr<PopUpBrowser> popUpBrowser_;
    bool active_ = false;
    bool held_ = false;
    sigc::connection windowAdded_;
    LifeToken life_;
};
