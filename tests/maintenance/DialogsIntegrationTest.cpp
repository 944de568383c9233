#include <gtest/gtest.h>
#include <gtkmm/button.h>
#include <gtkmm/main.h>

#include "LogCapture.h"
#include "foundation/NotificationCenter.h"
#include "foundation/UserDefaults.h"
#include "maintenance/Image.h"
#include "maintenance_ui/AlertDialog.h"
#include "maintenance_ui/DesktopIntegration.h"
#include "stores/VLSettingsManager.h"

TEST(AlertDialogIT, ShowsTextsAndAnswersWithButtonIndex) {
    Alert alert{"Are you sure you want to quit?",
                "Quitting will close all Windows and Tabs.",
                {"Quit", "Cancel"},
                Alert::Style::Warning};
    Gtk::Window parent;
    auto dialog = AlertDialog::create(alert, &parent);
    EXPECT_EQ(dialog->property_text().get_value(), "Are you sure you want to quit?");
    EXPECT_EQ(dialog->property_secondary_text().get_value(),
              "Quitting will close all Windows and Tabs.");
    EXPECT_EQ(dialog->property_message_type().get_value(), Gtk::MESSAGE_WARNING);
    auto* cancel = dialog->get_widget_for_response(1);
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(static_cast<Gtk::Button*>(cancel)->get_label(), "Cancel");
    EXPECT_EQ(dialog->get_transient_for(), &parent);

    int answer = -2;
    AlertDialog::present(alert, &parent, [&](int response) { answer = response; });
    // Click "Quit" in the sheet as a user would.
    for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
        if (auto* sheet = dynamic_cast<Gtk::MessageDialog*>(window);
            sheet && sheet != dialog.get() && sheet->get_visible()) {
            static_cast<Gtk::Button*>(sheet->get_widget_for_response(0))->clicked();
        }
    }
    while (Gtk::Main::events_pending()) {
        Gtk::Main::iteration(false);
    }
    EXPECT_EQ(answer, 0);
}

TEST(DesktopIntegrationIT, BindsTheGlobalShortcutAndSetsTheIcon) {
    DesktopIntegration::install();
    UserDefaults::standard().setString("globalShortcutKey", "<Control><Alt>F7");
    LogCapture log;
    VLSettingsManager settings;
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
