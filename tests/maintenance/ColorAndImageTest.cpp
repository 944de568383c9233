#include <gtest/gtest.h>

#include "maintenance/Alert.h"
#include "maintenance/ColorString.h"
#include "maintenance/IcnsWriter.h"
#include "maintenance/Image.h"

namespace {
Image filled(int width, int height, guint32 rgba, bool alpha = true) {
    auto pixbuf =
        GObjectPtr<GdkPixbuf>::adopt(gdk_pixbuf_new(GDK_COLORSPACE_RGB, alpha, 8, width, height));
    gdk_pixbuf_fill(pixbuf.get(), rgba);
    return Image(std::move(pixbuf));
}

guint32 pixelAt(const Image& image, int x, int y) {
    const guchar* p = gdk_pixbuf_read_pixels(image.pixbuf()) +
                      y * gdk_pixbuf_get_rowstride(image.pixbuf()) +
                      x * gdk_pixbuf_get_n_channels(image.pixbuf());
    return (guint32(p[0]) << 24) | (guint32(p[1]) << 16) | (guint32(p[2]) << 8) | p[3];
}
}  // namespace

TEST(ColorString, TextFormHasUpToTenPieces) {
    // An RGB colour's round trip is checked through settings.json in the settings store's tests.
    EXPECT_EQ(stringRepresentation(Color::white(0.5)), "0.500000 1.000000");
    EXPECT_FALSE(colorFromString("1 2 3 4 5 6 7 8 9 10 11", Color::Space::DeviceRGB));
    auto ten = colorFromString("1 2 3 4 5 6 7 8 9 10", Color::Space::DeviceRGB);
    ASSERT_TRUE(ten);
    EXPECT_EQ(ten->components.size(), 10u);

    // Two blanks in a row make an empty piece that reads as 0; text reads its leading number.
    auto gap = colorFromString("0.5  0.25 x 1e-1abc", Color::Space::DeviceRGB);
    ASSERT_TRUE(gap);
    EXPECT_EQ(gap->components,
              (std::vector<double>{0.5, 0.0, 0.25, 0.0, static_cast<double>(0.1f)}));
}

TEST(ColorString, LightnessAndHexColours) {
    EXPECT_TRUE(colorIsLight(Color::rgb(0.5, 0.5, 0.5)));  // exactly 0.5
    EXPECT_FALSE(colorIsLight(Color::rgb(0, 0, 1)));       // blue is dark
    EXPECT_TRUE(colorIsLight(Color::white(0.7)));
    EXPECT_FALSE(colorIsLight(Color::white(0.2)));

    Color orange = colorWithHexColorString("FF8000");
    EXPECT_EQ(orange.components, (std::vector<double>{1.0, 128 / 255.0, 0.0, 1.0}));
    EXPECT_EQ(colorWithHexColorString("0xFF8000"), orange);
    EXPECT_EQ(colorWithHexColorString("  0Xff8000zz"), orange);
    Color black = Color::rgb(0, 0, 0, 1, Color::Space::CalibratedRGB);
    EXPECT_EQ(colorWithHexColorString("#FF8000"), black);
    EXPECT_EQ(colorWithHexColorString(""), black);
    EXPECT_EQ(colorWithHexColorString("0x"), black);
    // Too large for 32 bits saturates: 0xFFFFFFFF gives white.
    EXPECT_EQ(colorWithHexColorString("123456789ABC"),
              Color::rgb(1, 1, 1, 1, Color::Space::CalibratedRGB));
}

TEST(Image, ResizeRoundAndEncode) {
    Image big = filled(512, 512, 0xff0000ff);
    auto small = resizeImage(big, Size{128.9, 128.2});
    ASSERT_TRUE(small);
    EXPECT_EQ(small->pixelWidth(), 128);
    EXPECT_EQ(small->pixelHeight(), 128);
    EXPECT_FALSE(resizeImage(big, Size{0, 10}));

    // An opaque image without alpha still gets an alpha channel.
    auto withAlpha = resizeImage(filled(10, 10, 0x00ff00ff, false), Size{4, 4});
    ASSERT_TRUE(withAlpha);
    EXPECT_TRUE(gdk_pixbuf_get_has_alpha(withAlpha->pixbuf()));

    // Half the width as radius makes a disc: corners clear, centre kept.
    Image disc = roundCornersWithRadius(*small, 64);
    EXPECT_EQ(disc.pixelWidth(), 128);
    EXPECT_EQ(pixelAt(disc, 0, 0) & 0xff, 0u);
    EXPECT_EQ(pixelAt(disc, 127, 127) & 0xff, 0u);
    EXPECT_EQ(pixelAt(disc, 64, 64), 0xff0000ffu);

    EXPECT_FALSE(roundCornersWithRadius(Image(), 10).isValid());

    std::string icns = IcnsWriter::encode(*small);
    ASSERT_GT(icns.size(), 8u);
    uint32_t declared = (uint8_t(icns[4]) << 24) | (uint8_t(icns[5]) << 16) |
                        (uint8_t(icns[6]) << 8) | uint8_t(icns[7]);
    EXPECT_EQ(declared, icns.size());
    auto decoded = Image::fromData(icns);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(pixelAt(*decoded, 10, 10), 0xff0000ffu);
    EXPECT_FALSE(Image::fromData("not an image"));
}

TEST(Image, UnreadBadgeSitsTopRightAndGrowsWithItsText) {
    const Image icon = filled(128, 128, 0x0000ffff);  // blue
    EXPECT_EQ(badgedIcon(icon, "0").pixbuf(), icon.pixbuf()) << "no badge for 0";
    EXPECT_EQ(badgedIcon(icon, "").pixbuf(), icon.pixbuf());

    auto isRed = [](uint32_t rgba) { return (rgba >> 24) > 0xc0 && ((rgba >> 8) & 0xff) < 0x60; };
    const Image one = badgedIcon(icon, "1");
    ASSERT_TRUE(one.isValid());
    EXPECT_EQ(one.pixelWidth(), 128);
    EXPECT_TRUE(isRed(pixelAt(one, 128 - 2 - 24, 2 + 44))) << "the badge, below its text";
    EXPECT_EQ(pixelAt(one, 10, 120), 0x0000ffffu) << "the rest of the icon stays";
    EXPECT_FALSE(isRed(pixelAt(one, 128 - 2 - 70, 2 + 44))) << "48 wide for one digit";
    const Image many = badgedIcon(icon, "12345");
    EXPECT_TRUE(isRed(pixelAt(many, 128 - 2 - 70, 2 + 44))) << "wider for a longer text";
    // A smaller tile scales the same layout.
    EXPECT_TRUE(isRed(pixelAt(badgedIcon(filled(32, 32, 0x0000ffff), "3"), 32 - 7, 11)));
}
