#include <glib/gstdio.h>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>

#include "browser/EnginePainting.h"
#include "browser/HistoryDate.h"
#include "browser/NavigationIntents.h"
#include "browser/PageAddress.h"
#include "browser/UserAgents.h"
#include "browser/UserStyleScript.h"
#include "foundation/Geometry.h"
#include "foundation/JavaScript.h"
#include "foundation/TypedAddress.h"
#include "maintenance/ColorString.h"

TEST(PageAddress, TypedTextBecomesSearchOrHttps) {
    const std::string search = PageAddress::kSearchPrefix;
    // "host:port" names a host; this machine and the private network are reached over http.
    for (auto [typed, expected] : std::vector<std::pair<std::string, std::optional<std::string>>>{
             {"weather", search + "weather"},
             {"two words here", search + "two%20words%20here"},
             {"a&b #c", search + "a%26b%20%23c"},
             {"example.com/path", "https://example.com/path"},
             {"http://plain.example/", "http://plain.example/"},
             {"localhost:8766", "http://localhost:8766"},
             {" localhost ", "http://localhost"},
             {"example.com:8443/x", "https://example.com:8443/x"},
             {"192.168.1.10/admin", "http://192.168.1.10/admin"},
             {"[::1]:631", "http://[::1]:631"},
             {"printer.local", "http://printer.local"},
             {"8.8.8.8", "https://8.8.8.8"},
             {"mailto:a@b.c", std::nullopt},
             {"", std::nullopt},
             {"bad host.com", std::nullopt}}) {
        EXPECT_EQ(PageAddress::resolve(typed, std::nullopt), expected) << typed;
    }
    // An https guess may fall back to http once; an address typed with its scheme never does.
    EXPECT_EQ(TypedAddress::plainHttpFallback("example.com:81", "https://example.com:81"),
              "http://example.com:81");
    EXPECT_EQ(TypedAddress::plainHttpFallback("https://example.com", "https://example.com"),
              std::nullopt);
    // A shortcut's URL replaces the text.
    EXPECT_EQ(PageAddress::resolve("gh", std::string("https://github.com/")),
              "https://github.com/");
    EXPECT_EQ(PageAddress::resolve("m", std::string("mail.example.com")),
              "https://mail.example.com");
}

TEST(UserAgents, TableAndVersions) {
    auto agents = UserAgents::generate("605.1.15", {10, 15, 7});
    // A system minor version in front of a build number goes; a public engine version stays
    // whole (Debian 12's minor version 0 once turned 605.1.15 into 65.1.15).
    EXPECT_EQ(UserAgents::webkitVersion("15610.1.28", {10, 15, 7}), "610.1.28");
    EXPECT_EQ(UserAgents::webkitVersion("605.1.15", {12, 0, 0}), "605.1.15");
    EXPECT_EQ(UserAgents::webkitVersion("605.1.15", {10, 15, 7}), "605.1.15");
    EXPECT_NE(agents["iPhone"].find("AppleWebKit/605.1.15 (KHTML, like Gecko) Version/10.0 Mobile"),
              std::string::npos);

    EXPECT_EQ(UserAgents::engineVersionFromUserAgent(
                  "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/605.1.15 (KHTML, like Gecko) "
                  "Version/18.0 Safari/605.1.15"),
              "605.1.15");
    EXPECT_EQ(UserAgents::engineVersionFromUserAgent("curl/8"), "");
    auto debian = UserAgents::systemVersionFromOsRelease("NAME=\"Debian\"\nVERSION_ID=\"12\"\n");
    EXPECT_EQ(debian.major, 12);
    EXPECT_EQ(debian.minor, 0);
    auto ubuntu = UserAgents::systemVersionFromOsRelease("VERSION_ID=\"24.04\"\n");
    EXPECT_EQ(ubuntu.minor, 4);
    EXPECT_EQ(UserAgents::systemVersionFromOsRelease("").major, 0);
}

// The wrapped style itself is applied to a real page in the page controller's tests.
TEST(UserStyleScript, LiteralsCannotEndEarlyAndFontsBecomeCss) {
    EXPECT_EQ(javaScriptString("`${x}\"'\\\r\n\xe2\x80\xa8</script>"),
              "\"`${x}\\\"'\\\\\\r\\n\\u2028<\\/script>\"");

    EXPECT_EQ(UserStyleScript::fontStyle({"DejaVu Sans", 13}),
              "h1, h2, h3, p, a {\nfont-family: DejaVu Sans;\nfont-size: 13.000000px;\n}");
}

// GTK switches to the user's locale at start; stored text and CSS must not follow it.
TEST(StoredNumbers, KeepAPointInACommaLocale) {
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        GTEST_SKIP() << "de_DE.UTF-8 is not available (Debian: locales, localedef)";
    }
    struct Back {
        ~Back() { std::setlocale(LC_NUMERIC, "C"); }
    } back;
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    ASSERT_STREQ(probe, "0,5");

    Color colour = Color::rgb(0.2, 0.4, 0.6, 0.25);
    EXPECT_EQ(stringRepresentation(colour), "0.200000 0.400000 0.600000 0.250000");
    std::optional<Color> read = colorFromString("0.200000 0.400000 0.600000 0.250000", {});
    ASSERT_TRUE(read);
    EXPECT_NEAR(read->red(), 0.2, 1e-6);
    EXPECT_NEAR(read->alpha(), 0.25, 1e-6);
    EXPECT_EQ(cssRgba(colour), "rgba(51, 102, 153, 0.250)");
    EXPECT_NE(UserStyleScript::fontStyle({"Sans", 12.5}).find("font-size: 12.500000px;"),
              std::string::npos);
    Rect frame{{10.5, -20}, {700, 500.25}};
    EXPECT_EQ(stringFromRect(frame), "{{10.5, -20}, {700, 500.25}}");
    EXPECT_EQ(rectFromString("{{10.5, -20}, {700, 500.25}}"), frame);
}

TEST(HistoryDate, FormatWithZone) {
    auto in = [](const char* zone, time_t time) {
        setenv("TZ", zone, 1);
        tzset();
        return HistoryDate::format(time);
    };
    EXPECT_EQ(in("UTC", 0), "1970-01-01 00:00:00Z T");
    EXPECT_EQ(in("Europe/Berlin", 1714550400), "2024-05-01 10:00:00+02:00 T");
    EXPECT_TRUE(std::regex_match(in("America/St_Johns", 1714550400),
                                 std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d-02:30 T)")));
    // Later visits sort after earlier ones as text within one zone.
    EXPECT_LT(HistoryDate::format(1000), HistoryDate::format(2000));
}

TEST(NavigationIntents, ReportsMatchTheirNavigationOnceAndExpire) {
    using Target = NavigationIntents::Target;
    NavigationIntents intents;
    const auto t0 = NavigationIntents::Clock::now();
    intents.noteLink("https://a.test/x", Target::MainFrame, t0);
    intents.noteForm("https://a.test/search?old=1", Target::MainFrame, t0);
    EXPECT_FALSE(intents.takeNavigation("https://a.test/x", Target::NewWindow, t0));
    EXPECT_TRUE(intents.takeNavigation("https://a.test/x", Target::MainFrame, t0));
    EXPECT_FALSE(intents.takeNavigation("https://a.test/x", Target::MainFrame, t0)) << "used up";
    // A GET form's fields replace the target's query.
    EXPECT_TRUE(intents.takeNavigation("https://a.test/search?q=1#r", Target::MainFrame, t0));

    intents.noteLink("https://a.test/late", Target::MainFrame, t0);
    EXPECT_FALSE(
        intents.takeNavigation("https://a.test/late", Target::MainFrame,
                               t0 + NavigationIntents::kValidity + std::chrono::milliseconds(1)));
    // A flood of reports keeps only the newest.
    for (int i = 0; i < 100; ++i) {
        intents.noteLink("https://a.test/" + std::to_string(i), Target::MainFrame, t0);
    }
    EXPECT_FALSE(intents.takeNavigation("https://a.test/0", Target::MainFrame, t0));
    EXPECT_TRUE(intents.takeNavigation("https://a.test/99", Target::MainFrame, t0));

    // Gestures do not add up: however many came, they open one window.
    intents.noteGesture();
    intents.noteGesture();
    EXPECT_TRUE(intents.takeWindowGesture());
    EXPECT_FALSE(intents.takeWindowGesture());
}

TEST(EnginePainting, CpuPaintingOnlyWithoutAGpuAndNeverOverTheUsersChoice) {
    char folder[] = "/tmp/sitebox-devXXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::map<std::string, std::string> environment;
    const EnginePainting::Machine machine{[&](const char* name) {
                                              auto it = environment.find(name);
                                              return it == environment.end() ? nullptr
                                                                             : it->second.c_str();
                                          },
                                          folder};
    const std::string dri = std::string(folder) + "/dri";
    g_mkdir(dri.c_str(), 0700);
    g_file_set_contents((dri + "/card0").c_str(), "", 0, nullptr);
    EXPECT_STREQ(EnginePainting::cpuPaintingSetting(machine), "1");  // a display card alone
    environment[EnginePainting::kCpuPaintingVariable] = "0";
    EXPECT_EQ(EnginePainting::cpuPaintingSetting(machine), nullptr);
    environment.clear();

    g_file_set_contents((dri + "/renderD128").c_str(), "", 0, nullptr);
    EXPECT_EQ(EnginePainting::cpuPaintingSetting(machine), nullptr);
    environment["LIBGL_ALWAYS_SOFTWARE"] = "0";
    EXPECT_FALSE(EnginePainting::softwareRendererOnly(machine));
    environment["LIBGL_ALWAYS_SOFTWARE"] = "true";
    EXPECT_STREQ(EnginePainting::cpuPaintingSetting(machine), "1");
    environment.clear();

    g_remove((dri + "/renderD128").c_str());
    g_file_set_contents((std::string(folder) + "/nvidiactl").c_str(), "", 0, nullptr);
    EXPECT_FALSE(EnginePainting::softwareRendererOnly(machine));
    std::filesystem::remove_all(folder);
}
