#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "MainLoopWait.h"
#include "TestHome.h"
#include "statusbar/PopupGeometry.h"
#include "statusbar/ProcessRelauncher.h"
#include "statusbar/StatusItemIcon.h"

namespace {
guint32 rgbaAt(const Image& image, int x, int y) {
    const guchar* p = gdk_pixbuf_read_pixels(image.pixbuf()) +
                      y * gdk_pixbuf_get_rowstride(image.pixbuf()) +
                      x * gdk_pixbuf_get_n_channels(image.pixbuf());
    return (guint32(p[0]) << 24) | (guint32(p[1]) << 16) | (guint32(p[2]) << 8) | p[3];
}

Image filled(int side, guint32 rgba) {
    auto pixbuf =
        GObjectPtr<GdkPixbuf>::adopt(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, side, side));
    gdk_pixbuf_fill(pixbuf.get(), rgba);
    return Image(std::move(pixbuf));
}
}  // namespace

TEST(PopupGeometry, ThePopupHangsUnderOrAboveItsIconInsideTheWorkArea) {
    const Size size{400, 400};
    const Rect screen{{0, 0}, {1280, 800}};
    struct Case {
        const char* where;
        std::optional<Rect> anchor;
        Rect workArea;
        Point expected;
    };
    const Case cases[] = {
        {"icon in the middle of a top panel", Rect{{600, 0}, {24, 24}}, screen, {412, 28}},
        {"click near the right edge", Rect{{1200, 10}, {0, 0}}, screen, {880, 14}},
        {"panel at the bottom", Rect{{600, 790}, {0, 0}}, screen, {400, 386}},
        {"no icon known", std::nullopt, screen, {880, 0}},
        {"click over a top panel the work area leaves out",
         Rect{{10, 5}, {0, 0}},
         Rect{{0, 32}, {1280, 768}},
         {0, 32}},
        {"popup wider than the screen",
         Rect{{600, 0}, {24, 24}},
         Rect{{0, 0}, {300, 800}},
         {0, 28}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PopupGeometry::place(c.anchor, size, c.workArea), c.expected) << c.where;
    }
}

TEST(PopupGeometry, TheHandleGrowsTheWidthTwiceAndKeepsItOffTheScreenEdge) {
    struct Case {
        Size size;
        double dx, dy;
        Size expected;
    };
    const Case cases[] = {
        {{400, 400}, 10, 5, {420, 405}},    {{400, 400}, 500, 0, {1260, 400}},  // past the screen
        {{1240, 400}, 10, 0, {1260, 400}},  // exactly 20 short of it
        {{1200, 400}, 15, 0, {1230, 400}},  // 50 short: kept
        {{400, 400}, -300, -500, {50, 50}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PopupGeometry::resized(c.size, c.dx, c.dy, 1280), c.expected)
            << c.size.width << " by " << c.dx;
    }
}

TEST(StatusItemIcon, TheBadgeIsARedCircleAndPixmapsAreNetworkOrderArgb) {
    const Image icon = filled(64, 0x00FF00FF);
    const Image plain = StatusItemIcon::draw(icon, std::nullopt, 2);
    const Image badged = StatusItemIcon::draw(icon, "3", 2);
    ASSERT_EQ(badged.pixelWidth(), 56);
    // Top of the circle (centre 20.5, 15.5; radius 7.5), clear of the digit; in pixels at 2x.
    EXPECT_EQ(rgbaAt(badged, 41, 20), 0xFF0000FFu);
    EXPECT_EQ(rgbaAt(plain, 41, 20), 0x00FF00FFu);
    EXPECT_EQ(rgbaAt(badged, 2, 2) & 0xFF, 0u);  // outside the 21-point icon
    EXPECT_EQ(rgbaAt(StatusItemIcon::draw(icon, "", 2), 41, 20), 0x00FF00FFu);

    EXPECT_EQ(StatusItemIcon::argb32(filled(1, 0x11223344)), std::string("\x44\x11\x22\x33", 4));
}

TEST(ProcessRelauncher, StartsTheArgumentVectorDetachedOnceTheAppHasEnded) {
    const std::string marker = TestHome::path() + "/started here";
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    const pid_t app = fork();
    if (app == 0) {  // the app that restarts itself, running until the gate closes
        close(gate[1]);
        ProcessRelauncher().relaunch({"/usr/bin/touch", marker}, 0);
        char byte;
        _exit(read(gate[0], &byte, 1) == 0 ? 0 : 1);
    }
    close(gate[0]);
    EXPECT_FALSE(waitUntil([&] { return std::filesystem::exists(marker); }, 1000))
        << "a new instance while the old one runs would hand itself over to it";
    close(gate[1]);
    int status = -1;
    waitpid(app, &status, 0);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(waitUntil([&] { return std::filesystem::exists(marker); }, 10000));
    EXPECT_FALSE(ProcessRelauncher().relaunch({}, 1));
}
