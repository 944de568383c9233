#include "browser/VLMainWindowController.h"

#include <giomm/menu.h>
#include <giomm/simpleaction.h>
#include <glibmm/main.h>
#include <gtkmm/menubutton.h>
#include <gtkmm/settings.h>
#include <gtkmm/toolbutton.h>
#include <gtkmm/toolitem.h>

#include <algorithm>

#include "browser/MainInterface.h"
#include "browser/VLWebViewController.h"
#include "browser/WindowRules.h"
#include "foundation/Bundle.h"
#include "foundation/DefaultsKeys.h"
#include "foundation/Log.h"
#include "foundation/NoDestructor.h"
#include "foundation/NotificationNames.h"
#include "foundation/StartupTimeline.h"
#include "foundation/UserDefaults.h"
#include "maintenance/Alert.h"
#include "maintenance/ColorString.h"
#include "maintenance_ui/AlertDialog.h"
#include "stores/VLBehaviorManager.h"
#include "stores/VLSettingsManager.h"

namespace {
std::vector<std::unique_ptr<VLMainWindowController>>& owned() {
    static NoDestructor<std::vector<std::unique_ptr<VLMainWindowController>>> controllers;
    return *controllers;
}

std::vector<VLMainWindowController*>& open() {
    static NoDestructor<std::vector<VLMainWindowController*>> controllers;
    return *controllers;
}

std::function<void(VLMainWindowController&)>& windowDecorator() {
    static NoDestructor<std::function<void(VLMainWindowController&)>> decorate;
    return *decorate;
}

std::function<void(VLMainWindowController&)>& windowWillClose() {
    static NoDestructor<std::function<void(VLMainWindowController&)>> handler;
    return *handler;
}

std::function<std::string()>& appNameProvider() {
    static NoDestructor<std::function<std::string()>> provider;
    return *provider;
}

// The colour of a page's top strip, in the middle; nothing when the image has no such pixel.
std::optional<Color> topStripColor(cairo_surface_t* surface) {
    if (cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_width(surface) <= 0 ||
        cairo_image_surface_get_height(surface) < 2) {
        return std::nullopt;
    }
    cairo_surface_flush(surface);
    const int x = cairo_image_surface_get_width(surface) / 2;
    const unsigned char* row =
        cairo_image_surface_get_data(surface) + cairo_image_surface_get_stride(surface);
    const uint32_t pixel = reinterpret_cast<const uint32_t*>(row)[x];
    const double alpha = ((pixel >> 24) & 0xFF) / 255.0;
    auto channel = [&](int shift) {
        const double value = ((pixel >> shift) & 0xFF) / 255.0;
        return alpha > 0 ? std::min(1.0, value / alpha) : 1.0;
    };
    return Color::rgb(channel(16), channel(8), channel(0), 1, Color::Space::SRGB);
}

std::string appName() {
    if (auto& provider = appNameProvider()) {
        return provider();
    }
    return WindowRules::appTargetName(Bundle::main().bundlePath());
}

Gtk::Application* defaultApplication() {
    auto application = Gtk::Application::get_default();
    return application ? dynamic_cast<Gtk::Application*>(application.get()) : nullptr;
}

// A hidden window leaves the application, which would end with its last one: while hidden, the
// application is held, so that it keeps running (notifications, the badge) until reopened.
bool& applicationHeld() {
    static bool held = false;
    return held;
}
}  // namespace

VLMainWindowController* VLMainWindowController::create(
    std::unique_ptr<VLWebViewController> firstPage) {
    Glib::RefPtr<Gtk::Builder> builder =
        MainInterface::builderFor({"MainWindowController", "toolbarItems"});
    if (!builder) {
        return nullptr;
    }
    std::unique_ptr<VLMainWindowController> controller;
    try {
        VLMainWindow* window = nullptr;
        if (gtk_builder_get_object(builder->gobj(), "MainWindowController")) {
            builder->get_widget_derived("MainWindowController", window);
        }
        if (!window) {
            throw MainInterface::MissingObject("MainWindowController");
        }
        controller.reset(new VLMainWindowController(std::unique_ptr<VLMainWindow>(window), builder,
                                                    std::move(firstPage)));
    } catch (const MainInterface::MissingObject& missing) {
        MainInterface::reportMissing(missing);
        return nullptr;
    }
    VLMainWindowController* raw = controller.get();
    owned().push_back(std::move(controller));
    StartupTimeline::mark("window built");
    if (auto& decorate = windowDecorator()) {
        decorate(*raw);
        StartupTimeline::mark("menus built");
    }
    if (Gtk::Application* app = defaultApplication()) {
        app->add_window(*raw->window_);
    }
    raw->window_->show();
    return raw;
}

VLMainWindowController::VLMainWindowController(std::unique_ptr<VLMainWindow> window,
                                               const Glib::RefPtr<Gtk::Builder>& builder,
                                               std::unique_ptr<VLWebViewController> firstPage)
    : window_(std::move(window)) {
    toolbarItems_ = &MainInterface::require<Gtk::Toolbar>(builder, "toolbarItems");
    toolbarButton_ = &MainInterface::require<Gtk::Button>(builder, "toolbarButton");
    pannelSwitchIcon_ = &MainInterface::require<Gtk::Image>(builder, "pannelSwitchIcon");
    preferencesToolbarItem_ =
        &MainInterface::require<Gtk::ToolButton>(builder, "preferencesToolbarItem");
    menubarSlot_ = &MainInterface::require<Gtk::Box>(builder, "menubarSlot");
    tabController_ = std::make_unique<VLTabViewController>(
        MainInterface::require<Gtk::Notebook>(builder, "tabView"),
        MainInterface::require<Gtk::Box>(builder, "bookmarkBarSlot"), std::move(firstPage));

    titleLabel_.get_style_context()->add_class("title");
    titleLabel_.set_ellipsize(Pango::ELLIPSIZE_END);
    titleStack_.add(*toolbarItems_, "toolbar");
    titleStack_.add(titleLabel_, "title");
    titleStack_.set_hexpand(true);
    titleStack_.show_all();
    window_->headerBar().set_custom_title(titleStack_);
    titleStack_.set_visible_child("toolbar");
    MainInterface::require<Gtk::ToolItem>(builder, "urlFieldItem").add(urlTextField_);
    urlTextField_.setOpenHandler([this](const std::string& text) {
        openUrl(text);
        if (VLWebViewController* page = tabController_->selectedWebViewController()) {
            page->webview().widget().grab_focus();
        }
    });

    auto connect = [&](const char* id, std::function<void()> action) {
        MainInterface::require<Gtk::ToolButton>(builder, id)
            .signal_clicked()
            .connect(std::move(action));
    };
    connect("backButton", [this] { backButtonClick(); });
    connect("forwardButton", [this] { forwardButtonClick(); });
    connect("homeButton", [this] { homeButtonClick(); });
    connect("addTabButton", [this] { addTabButtonClick(); });
    toolbarButton_->signal_clicked().connect([this] { toggleToolbar(); });
    window_->add_action("add-bookmark", [this] { addBookmark(); });
    window_->add_action("remove-bookmark", [this] { removeBookmark(); });
    auto bookmarksMenu = Gio::Menu::create();
    bookmarksMenu->append("Add Bookmark…", "win.add-bookmark");
    bookmarksMenu->append("Remove Bookmark…", "win.remove-bookmark");
    MainInterface::require<Gtk::MenuButton>(builder, "bookmarksButton")
        .set_menu_model(bookmarksMenu);
    window_->signal_delete_event().connect([this](GdkEventAny*) {
        if (windowShouldClose()) {
            finishClosing();
        }
        return true;  // the controller takes the window down itself
    });
    windowDidLoad();
}

VLMainWindowController::~VLMainWindowController() {
    observers_.clear();
    std::erase(open(), this);
}

const std::vector<VLMainWindowController*>& VLMainWindowController::openControllers() {
    return open();
}

VLMainWindowController* VLMainWindowController::forWindow(const Gtk::Window* window) {
    for (VLMainWindowController* controller : open()) {
        if (controller->window_.get() == window) {
            return controller;
        }
    }
    return nullptr;
}

void VLMainWindowController::setWindowDecorator(
    std::function<void(VLMainWindowController&)> decorate) {
    windowDecorator() = std::move(decorate);
}

void VLMainWindowController::setWindowWillClose(
    std::function<void(VLMainWindowController&)> handler) {
    windowWillClose() = std::move(handler);
}

void VLMainWindowController::setAppNameProvider(std::function<std::string()> provider) {
    appNameProvider() = std::move(provider);
}

void VLMainWindowController::hideApplication() {
    if (Gtk::Application* app = defaultApplication(); app && !applicationHeld()) {
        app->hold();
        applicationHeld() = true;
    }
    for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
        if (window->get_visible() && window->get_window_type() == Gtk::WINDOW_TOPLEVEL) {
            window->hide();
        }
    }
}

void VLMainWindowController::unhideApplication() {
    Gtk::Application* app = defaultApplication();
    for (VLMainWindowController* controller : open()) {
        if (app) {
            std::vector<Gtk::Window*> in = app->get_windows();
            if (std::find(in.begin(), in.end(), controller->window_.get()) == in.end()) {
                app->add_window(*controller->window_);
            }
        }
        controller->window_->present();
    }
    if (app && applicationHeld()) {
        applicationHeld() = false;
        app->release();
    }
}

void VLMainWindowController::windowDidLoad() {
    VLSettingsManager& settings = VLSettingsManager::sharedManager();
    auto& center = NotificationCenter::defaultCenter();
    observers_.push_back(center.addObserver(notification::updateWindowBackgroundColor,
                                            [this](const Notification&) { updateWindowColor(); }));
    observers_.push_back(
        center.addObserver(notification::showHideToolbarButton, [this](const Notification&) {
            toolbarButton_->set_visible(!VLSettingsManager::sharedManager().hideToolbarButton());
        }));

    // The default 100.0 (and anything above 1) means fully opaque.
    window_->set_opacity(std::clamp(settings.windowOpacity(), 0.0, 1.0));
    switch (settings.appearance()) {
        case 1:
            Gtk::Settings::get_default()->property_gtk_application_prefer_dark_theme() = false;
            break;
        case 2:
            Gtk::Settings::get_default()->property_gtk_application_prefer_dark_theme() = true;
            break;
        default:
            break;
    }
    updateWindowTitlebar();
    applyWindowColor(settings.windowColor());
    const long level = settings.windowLevel();
    window_->set_keep_above(level == VLSettingsManager::kFloatingWindowLevel);
    window_->set_keep_below(level == VLSettingsManager::kDesktopWindowLevel);

    tabController_->setDelegate(this);
    open().push_back(this);
    center.post(notification::titlebarVisibilityChange, {},
                {{notification::titlebarVisibilityKey, std::any(settings.hideTitlebar())}});
    if (auto visible = UserDefaults::standard().objectForKey(defaults_key::toolbarVisible);
        visible && UserDefaults::boolValue(*visible)) {
        tabController_->showToolbar();
    }
    toolbarButton_->set_visible(!settings.hideToolbarButton());
}

void VLMainWindowController::needChangeUrl(const std::optional<std::string>& url) {
    urlTextField_.setURLString(url.value_or(""));
}

void VLMainWindowController::changeLoadStatus(bool loading) {
    urlTextField_.setLoadingState(loading);
}

void VLMainWindowController::changeSecureStatus(bool secure) {
    urlTextField_.setSecure(secure);
}

void VLMainWindowController::newTabWasCreated() {
    urlTextField_.beginEditing();
}

void VLMainWindowController::editUrl() {
    urlTextField_.beginEditing();
}

bool VLMainWindowController::needCreateWindowForController(
    std::unique_ptr<VLWebViewController>& page) {
    return create(std::move(page)) != nullptr;
}

void VLMainWindowController::toolbarVisibilityChanged(bool visible) {
    toolbarVisible_ = visible;
    pannelSwitchIcon_->set_from_icon_name(visible ? "pan-up-symbolic" : "pan-down-symbolic",
                                          Gtk::ICON_SIZE_BUTTON);
    titleStack_.set_visible_child(visible ? "toolbar" : "title");
    if (!visible) {
        updateWindowTitlebar();
    }
}

void VLMainWindowController::toggleToolbar() {
    if (toolbarVisible_) {
        tabController_->hideToolbar();
    } else {
        tabController_->showToolbar();
    }
}

void VLMainWindowController::hidePreferences(bool hide) {
    if (hide) {
        preferencesToolbarItem_->hide();
    }
}

void VLMainWindowController::updateWindowTitlebar() {
    VLSettingsManager& settings = VLSettingsManager::sharedManager();
    const std::string title = WindowRules::title(appName(), settings.hideTitle());
    window_->set_title(title);
    window_->headerBar().set_title(title);
    titleLabel_.set_text(title);
    window_->headerBar().set_decoration_layout(
        settings.hideTitleIcon() ? ":minimize,maximize,close" : "icon:minimize,maximize,close");
    if (settings.hideTitlebar()) {
        window_->updateWindowButtons();
    } else {
        window_->resetButtons();
    }
}

void VLMainWindowController::applyWindowColor(const Color& color) {
    window_->setWindowColor(color);
    Log::line(colorIsLight(color) ? "LIGHT MODE....." : "DARK MODE.....");
}

void VLMainWindowController::updateWindowColor() {
    if (!VLSettingsManager::sharedManager().autoWindowColor()) {
        return;
    }
    VLWebViewController* page = tabController_->selectedWebViewController();
    if (!page) {
        return;
    }
    auto [callback, data] = async_.callback([this](GObject* source, GAsyncResult* result) {
        GErrorPtr error;
        cairo_surface_t* surface =
            webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(source), result, error.out());
        if (AsyncScope::failed(error.get(), "snapshot for the window colour") || !surface) {
            return;  // the window keeps the colour it has
        }
        std::optional<Color> color = topStripColor(surface);
        cairo_surface_destroy(surface);
        if (color) {
            applyWindowColor(*color);
        }
    });
    webkit_web_view_get_snapshot(page->webview().webView(), WEBKIT_SNAPSHOT_REGION_VISIBLE,
                                 WEBKIT_SNAPSHOT_OPTIONS_NONE, async_.cancellable(), callback,
                                 data);
}

bool VLMainWindowController::windowShouldClose() {
    const auto action = WindowRules::closeAction(
        open().size() == 1, VLBehaviorManager::sharedManager().closeApplication(),
        VLSettingsManager::sharedManager().confirmColseTabs(), tabController_->tabsCount());
    switch (action) {
        case WindowRules::CloseAction::HideApplication:
            hideApplication();
            return false;
        case WindowRules::CloseAction::Confirm: {
            Alert alert{"Are you sure you want to quit?",
                        "Quiting will close all Windows and Tabs.",
                        {"Quit", "Cancel"},
                        Alert::Style::Warning};
            return AlertDialog::run(alert, window_.get()) == 0;
        }
        case WindowRules::CloseAction::Close:
            return true;
    }
    return true;
}

void VLMainWindowController::close() {
    finishClosing();
}

void VLMainWindowController::closeWindow() {
    finishClosing();
}

void VLMainWindowController::finishClosing() {
    if (closed_) {
        return;
    }
    closed_ = true;
    if (auto& handler = windowWillClose()) {
        handler(*this);
    }
    tabController_->setDelegate(nullptr);
    tabController_->releaseAllWebViews();
    std::erase(open(), this);
    window_->hide();
    // The window's own signal may still be running: let go of the controller afterwards.
    Glib::signal_idle().connect_once([this] {
        auto& all = owned();
        auto it = std::find_if(all.begin(), all.end(),
                               [this](const auto& candidate) { return candidate.get() == this; });
        if (it != all.end()) {
            std::unique_ptr<VLMainWindowController> self = std::move(*it);
            all.erase(it);
        }
    });
}
