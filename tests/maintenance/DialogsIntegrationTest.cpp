#include <gtest/gtest.h>
#include <gtkmm/main.h>

#include "LogCapture.h"
#include "foundation/NotificationCenter.h"
#include "foundation/UserDefaults.h"
#include "maintenance/Image.h"
#include "maintenance_ui/AlertDialog.h"
#include "maintenance_ui/DesktopIntegration.h"
#include "stores/VLSettingsManager.h"

TEST(AlertDialogIT, WarningStyleOverItsWindow) {
    Alert alert{"Are you sure you want to quit?",
                "Quitting will close all Windows and Tabs.",
                {"Quit", "Cancel"},
                Alert::Style::Warning};
    Gtk::Window parent;
    auto dialog = AlertDialog::create(alert, &parent);
    EXPECT_EQ(dialog->property_message_type().get_value(), Gtk::MESSAGE_WARNING);
    EXPECT_EQ(dialog->get_transient_for(), &parent);

    // Texts and the buttons' responses are checked on real questions in PageControllerIT and
    // PageBridgeIT; present() and its answers by the close and quit questions in MainWindowIT.
}

TEST(DesktopIntegrationIT, BindsTheGlobalShortcutAndSetsTheIcon) {
    DesktopIntegration::install();
    LogCapture log;
    // No shortcut at launch: the keyboard service starts only with the first one recorded.
    VLSettingsManager settings;
    UserDefaults::standard().setString("globalShortcutKey", "<Control><Alt>F7");
    settings.registerShortCut();
    EXPECT_FALSE(log.contains("could not be bound")) << "Xvfb is an X11 display";
    EXPECT_FALSE(log.contains("not available"));

    // A nonsense accelerator is reported.
    UserDefaults::standard().setString("globalShortcutKey", "<NoSuchModifier>");
    settings.registerShortCut();
    EXPECT_TRUE(log.contains("could not be bound"));

    auto pixbuf =
        GObjectPtr<GdkPixbuf>::adopt(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 256, 256));
    gdk_pixbuf_fill(pixbuf.get(), 0x336699ff);
    Error error;
    ASSERT_TRUE(settings.saveIcon(Image(std::move(pixbuf)), &error));
    GList* icons = gtk_window_get_default_icon_list();
    ASSERT_NE(icons, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_width(GDK_PIXBUF(icons->data)), 256);
    g_list_free(icons);
}
