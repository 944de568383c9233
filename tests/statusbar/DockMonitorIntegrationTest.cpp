#include <gtest/gtest.h>

#include "BrowserTestSupport.h"
#include "MainLoopWait.h"
#include "browser/VLMainWindowController.h"
#include "browser/VLTabViewController.h"
#include "maintenance_ui/DockTile.h"
#include "statusbar/DockMonitor.h"

namespace {
guint32 rgbaAt(const Image& image, int x, int y) {
    const guchar* p = gdk_pixbuf_read_pixels(image.pixbuf()) +
                      y * gdk_pixbuf_get_rowstride(image.pixbuf()) +
                      x * gdk_pixbuf_get_n_channels(image.pixbuf());
    return (guint32(p[0]) << 24) | (guint32(p[1]) << 16) | (guint32(p[2]) << 8) | p[3];
}
}  // namespace

TEST(DockMonitorIT, ASquareOfThePageBecomesTheRoundIconUntilStopped) {
    prepareBrowserTest();
    PageHost::server().serve("/blocks",
                             "<!doctype html><body style='margin:0;background:#0000ff'>"
                             "<div style='position:absolute;left:0;top:0;width:100px;"
                             "height:100px;background:#ff0000'></div></body>",
                             "text/html");
    auto appIcon = GObjectPtr<GdkPixbuf>::adopt(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 1, 1));
    DockTile::shared().setApplicationIcon(Image(appIcon));
    VLMainWindowController* window = VLMainWindowController::create();
    ASSERT_NE(window, nullptr);
    window->openUrl("http://site.test/blocks");
    ASSERT_TRUE(waitUntil([&] {
        VLWebViewController* page = window->tabController().selectedWebViewController();
        return page && !webkit_web_view_is_loading(page->webview().webView()) &&
               page->webview().url().find("/blocks") != std::string::npos;
    }));

    std::string title;
    bool editHidden = false;
    DockMonitor monitor([&] { return window; }, {[&](const std::string& t) { title = t; },
                                                 [&](bool h) { editHidden = h; }});
    EXPECT_EQ(title, DockMonitor::kStartTitle);
    monitor.toggleDockMonitor();
    EXPECT_EQ(title, DockMonitor::kCancelTitle);
    ASSERT_TRUE(monitor.selectionView() && monitor.selectionView()->attached());
    EXPECT_TRUE(waitUntil([&] { return monitor.selectionView()->get_mapped(); }));
    monitor.toggleDockMonitor();
    EXPECT_EQ(title, DockMonitor::kStartTitle);
    EXPECT_EQ(monitor.selectionView(), nullptr);

    monitor.toggleDockMonitor();
    // Half on the red block (70 to 100), half on the blue page (100 to 130).
    monitor.selectionDidChanged(Rect{{70, 20}, {60, 60}});
    monitor.selectionDidEnded();
    EXPECT_EQ(title, DockMonitor::kStopTitle);
    ASSERT_TRUE(waitUntil([] { return DockTile::shared().baseIcon().pixelWidth() == 128; }));
    const Image icon = DockTile::shared().baseIcon();
    EXPECT_EQ(icon.pixelHeight(), 128);
    EXPECT_EQ(rgbaAt(icon, 32, 64), 0xFF0000FFu);
    EXPECT_EQ(rgbaAt(icon, 96, 64), 0x0000FFFFu);
    EXPECT_EQ(rgbaAt(icon, 4, 4) & 0xFF, 0u);  // rounded to a disc

    monitor.toggleDockMonitor();
    EXPECT_EQ(title, DockMonitor::kStartTitle);
    EXPECT_TRUE(editHidden);
    EXPECT_FALSE(monitor.monitoring());
    EXPECT_EQ(DockTile::shared().baseIcon().pixbuf(), appIcon.get());
}
