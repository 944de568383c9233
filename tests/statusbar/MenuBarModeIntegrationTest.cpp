#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <optional>

#include "../app/SiteboxProcess.h"
#include "BrowserTestSupport.h"
#include "BusFixtures.h"
#include "FileGuards.h"
#include "MainLoopWait.h"
#include "TestHome.h"
#include "app/AppDelegate.h"
#include "app/ApplicationId.h"
#include "browser/VLMainWindowController.h"
#include "browser/VLTabViewController.h"
#include "foundation/Bundle.h"
#include "foundation/JsonFile.h"
#include "statusbar/StatusNotifierItem.h"
#include "stores/VLFileManager.h"

namespace {
// The app's session connection lives to the end of the process, so the bus does too: taking
// it down first would make GIO wait for a connection nobody will release.
PrivateBus& sessionBus() {
    static PrivateBus* bus = [] {
        // GIO's test bus clears the display and runtime folder from the environment; the web
        // processes the app starts need them.
        const std::string display = g_getenv("DISPLAY") ? g_getenv("DISPLAY") : "";
        const char* runtime = g_getenv("XDG_RUNTIME_DIR");
        const std::string runtimeDir = runtime ? runtime : "";
        auto* started = new PrivateBus();
        g_setenv("DISPLAY", display.c_str(), TRUE);
        if (runtime) {
            g_setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), TRUE);
        }
        return started;
    }();
    return *bus;
}

// Stands in for the desktop's org.kde.StatusNotifierWatcher, with a tray host; it answers a
// registration after `replyDelayMs`, as a busy desktop shell may.
class FakeWatcher : NoCopy {
  public:
    explicit FakeWatcher(const PrivateBus& bus, unsigned replyDelayMs = 0)
        : connection_(bus.connect()), replyDelayMs_(replyDelayMs) {
        static GDBusNodeInfo* info = g_dbus_node_info_new_for_xml(
            R"(<node><interface name="org.kde.StatusNotifierWatcher">
                 <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
                 <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
               </interface></node>)",
            nullptr);
        static const GDBusInterfaceVTable vtable = {
            [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
               GVariant* parameters, GDBusMethodInvocation* invocation, gpointer self) {
                const gchar* service = nullptr;
                g_variant_get(parameters, "(&s)", &service);
                auto* watcher = static_cast<FakeWatcher*>(self);
                watcher->items.emplace_back(service);
                g_timeout_add(
                    watcher->replyDelayMs_,
                    [](gpointer call) {
                        g_dbus_method_invocation_return_value(
                            static_cast<GDBusMethodInvocation*>(call), nullptr);
                        return G_SOURCE_REMOVE;
                    },
                    invocation);
            },
            [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GError**,
               gpointer) { return g_variant_new_boolean(TRUE); },
            nullptr,
            {}};
        g_dbus_connection_register_object(connection_.get(), StatusNotifierItem::kWatcherPath,
                                          info->interfaces[0], &vtable, this, nullptr, nullptr);
        callAndWait(connection_.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                    "org.freedesktop.DBus", "RequestName",
                    g_variant_new("(su)", StatusNotifierItem::kWatcherName, 4u));
    }

    GDBusConnection* connection() const { return connection_.get(); }
    std::vector<std::string> items;

  private:
    GObjectPtr<GDBusConnection> connection_;
    unsigned replyDelayMs_;
};

class RecordingRelauncher : public Relauncher {
  public:
    bool relaunch(const std::vector<std::string>& argv, unsigned delaySeconds) override {
        started.push_back(argv);
        delay = delaySeconds;
        return true;
    }
    void exitNow() override { ++exits; }

    std::vector<std::vector<std::string>> started;
    unsigned delay = 0;
    int exits = 0;
};

// The app launched with menu-bar mode stored, on a session bus of the test's own.
struct TrayApp {
    std::unique_ptr<FakeWatcher> watcher;
    std::shared_ptr<RecordingRelauncher> relauncher = std::make_shared<RecordingRelauncher>();
    std::vector<Alert> notices;
    std::optional<AppDelegate> app;

    explicit TrayApp(bool trayHost) {
        if (trayHost) {
            watcher = std::make_unique<FakeWatcher>(sessionBus());
        }
        sessionBus();
        prepareBrowserTest();
        JsonFile::save(VLFileManager::getSettingsPath() + "behavior.json",
                       {{"version", 1.1}, {"statusBarKey", true}});
        app.emplace(Gio::APPLICATION_NON_UNIQUE);
        app->setMenuBarServices(
            {relauncher, [this](const Alert& alert) { notices.push_back(alert); }, 300});
        app->application()->register_application();
        app->application()->activate();
        drainMainContext();
    }
    ~TrayApp() {
        for (Gtk::Window* window : app->application()->get_windows()) {
            window->hide();
        }
    }

    MenuBarMode& mode() { return *app->menuBarMode(); }
    CallResult call(const char* path, const char* interface, const char* method,
                    GVariant* parameters) {
        return callAndWait(watcher->connection(), watcher->items.at(0).c_str(), path, interface,
                           method, parameters);
    }
    CallResult item(const char* method, GVariant* parameters) {
        return call(StatusNotifierItem::kObjectPath, kItem, method, parameters);
    }
    static constexpr const char* kItem = "org.kde.StatusNotifierItem";
    bool stored() {
        return nlohmann::json::parse(
            readFileBytes(VLFileManager::getSettingsPath() + "behavior.json"))["statusBarKey"];
    }
};
}  // namespace

TEST(MenuBarModeIT, TheItemRegistersWithTheWatcherAndItsClicksToggleThePopup) {
    TrayApp tray(true);
    ASSERT_TRUE(waitUntil([&] { return tray.app->menuBarMode() && tray.mode().active(); }));
    ASSERT_EQ(tray.watcher->items.size(), 1u);
    VLMainWindowController* main = VLMainWindowController::openControllers().at(0);
    EXPECT_FALSE(main->window().get_visible());
    EXPECT_TRUE(main->window().get_skip_taskbar_hint());
    CallResult menu = tray.call(StatusNotifierItem::kObjectPath, "org.freedesktop.DBus.Properties",
                                "Get", g_variant_new("(ss)", TrayApp::kItem, "Menu"));
    ASSERT_TRUE(menu.ok()) << menu.errorMessage;
    GVariant* path = nullptr;
    g_variant_get(menu.reply.get(), "(v)", &path);
    EXPECT_STREQ(g_variant_get_string(path, nullptr), "/MenuBar");
    g_variant_unref(path);

    PopUpBrowser& popup = *tray.mode().popUpBrowser();
    ASSERT_TRUE(tray.item("Activate", g_variant_new("(ii)", 600, 0)).ok());
    ASSERT_TRUE(waitUntil([&] { return popup.isShown(); }));
    Gtk::Widget& page = main->tabController().selectedWebViewController()->webview().widget();
    EXPECT_EQ(page.get_toplevel(), &popup.window());

    EXPECT_EQ(tray.item("Activate", g_variant_new("(s)", "600,0")).errorName,
              "org.freedesktop.DBus.Error.InvalidArgs");
    ASSERT_TRUE(tray.item("Activate", g_variant_new("(ii)", 600, 0)).ok());
    EXPECT_TRUE(waitUntil([&] { return !popup.isShown(); }));

    // Shown again, it closes when another window takes the focus.
    tray.mode().showPopUpBrowser(std::nullopt);
    ASSERT_TRUE(waitUntil([&] { return popup.window().is_active(); }));
    Gtk::Window elsewhere;
    elsewhere.show();
    ASSERT_TRUE(waitUntil([&] { return elsewhere.get_window()->is_viewable(); }));
    elsewhere.get_window()->focus(GDK_CURRENT_TIME);
    EXPECT_TRUE(waitUntil([&] { return !popup.isShown(); }));
}

TEST(MenuBarModeIT, TheMenuShowsFourItemsAndSwitchingBackRelaunchesTheBundle) {
    TrayApp tray(true);
    ASSERT_TRUE(waitUntil([&] { return tray.app->menuBarMode() && tray.mode().active(); }));
    const std::vector<std::string> expected = {"Add Tab", "Switch to Regular Mode", "Preferences",
                                               "Quit"};

    ASSERT_TRUE(tray.item("ContextMenu", g_variant_new("(ii)", 10, 10)).ok());
    Gtk::Menu& shown = tray.mode().statusBarMenu().menu();
    ASSERT_TRUE(waitUntil([&] { return shown.get_visible(); }));
    EXPECT_EQ(tray.mode().statusBarMenu().titles(), expected);
    shown.popdown();

    CallResult layout = tray.call("/MenuBar", "com.canonical.dbusmenu", "GetLayout",
                                  g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0)));
    ASSERT_TRUE(layout.ok()) << layout.errorMessage;
    std::vector<std::string> labels;
    GVariantIter* children = nullptr;
    g_variant_get(layout.reply.get(), "(u(ia{sv}av))", nullptr, nullptr, nullptr, &children);
    for (GVariant* child = nullptr; g_variant_iter_next(children, "v", &child);
         g_variant_unref(child)) {
        VariantRef properties = VariantRef::adopt(g_variant_get_child_value(child, 1));
        const gchar* label = "";
        g_variant_lookup(properties.get(), "label", "&s", &label);
        labels.emplace_back(label);
    }
    g_variant_iter_free(children);
    EXPECT_EQ(labels, expected);

    ASSERT_TRUE(tray.call("/MenuBar", "com.canonical.dbusmenu", "Event",
                          g_variant_new("(isvu)", 2, "clicked", g_variant_new_string(""), 0u))
                    .ok());
    ASSERT_TRUE(waitUntil([&] { return tray.relauncher->exits == 1; }));
    EXPECT_EQ(tray.relauncher->started, (std::vector<std::vector<std::string>>{
                                            {TestHome::bundlePath() + "/Contents/MacOS/Sitebox"}}));
    EXPECT_EQ(tray.relauncher->delay, 1u);
    EXPECT_FALSE(tray.stored());
}

TEST(MenuBarModeIT, WithoutATrayHostTheAppStaysRegularAndSaysSo) {
    TrayApp tray(false);
    ASSERT_TRUE(waitUntil([&] { return !tray.notices.empty(); }));
    EXPECT_NE(tray.notices[0].informativeText.find("tray host"), std::string::npos);
    VLMainWindowController* main = VLMainWindowController::openControllers().at(0);
    EXPECT_TRUE(main->window().get_visible());
    EXPECT_FALSE(tray.mode().active());
    EXPECT_TRUE(tray.stored());  // the mode comes back where a tray exists
    drainMainContext();
    EXPECT_EQ(tray.notices.size(), 1u);
}

TEST(MenuBarModeIT, TheBuiltAppStaysInTheTrayAndRestartsAsARegularApp) {
    FakeWatcher watcher(sessionBus(), 1500);
    writeFileBytes(TestHome::dataHome() + "/Corva/(null)/behavior.json",
                   R"({"version":1.1,"statusBarKey":true})");
    // Not piped: the app it restarts would hold the pipes open.
    Process app({kBuiltSitebox}, G_SUBPROCESS_FLAGS_NONE);
    ASSERT_TRUE(waitUntil([&] { return !watcher.items.empty(); }, 30000));
    ASSERT_EQ(app.finish(2000), -1)
        << "with no window shown, the wait for the tray keeps it running";
    ASSERT_TRUE(callAndWait(watcher.connection(), watcher.items[0].c_str(), "/MenuBar",
                            "com.canonical.dbusmenu", "Event",
                            g_variant_new("(isvu)", 2, "clicked", g_variant_new_string(""), 0u))
                    .ok());
    ASSERT_EQ(app.finish(20000), 0);
    EXPECT_FALSE(
        JsonFile::parse(readFileBytes(TestHome::dataHome() + "/Corva/(null)/behavior.json"),
                        nullptr)["statusBarKey"]);

    // A second later the bundle runs again, as a regular app under its own name.
    const std::string name =
        ApplicationId::of(Bundle(SITEBOX_BUNDLE_DIR).bundleIdentifier(), std::nullopt);
    pid_t again = 0;
    EXPECT_TRUE(waitUntil(
        [&] {
            again = sessionBus().ownerPid(watcher.connection(), name);
            return again != 0;
        },
        30000));
    if (again != 0) {
        kill(again, SIGTERM);
    }
}
