#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "BrowserTestSupport.h"
#include "FileGuards.h"
#include "LocalHttpServer.h"
#include "MainLoopWait.h"
#include "SiteboxProcess.h"
#include "TestHome.h"
#include "foundation/FileTree.h"
#include "foundation/Files.h"
#include "foundation/GObjectPtr.h"
#include "foundation/JsonFile.h"
#include "foundation/Plist.h"
#include "maintenance/Image.h"

namespace fs = std::filesystem;

namespace {
int sitebox(const std::vector<std::string>& arguments, std::string* out = nullptr,
            std::string* err = nullptr, const std::string& program = kBuiltSitebox) {
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    Process process(argv);
    const int status = process.finish();
    if (out) {
        *out = process.out();
    }
    if (err) {
        *err = process.err();
    }
    return status;
}

std::string appsFolder() {
    return TestHome::dataHome() + "/sitebox/apps";
}

nlohmann::json updateList() {
    return JsonFile::parse(readFileBytes(TestHome::path() + "/.KVX/.update"), nullptr);
}

std::string settingsFolderOf(const std::string& bundle) {
    return TestHome::dataHome() + "/Corva/" +
           Files::extendedAttribute(bundle, "user.CorvaUniqueID").value_or("(none)");
}

// The one desktop entry made, its file name without ".desktop".
std::string desktopEntryId() {
    for (const auto& entry : fs::directory_iterator(TestHome::dataHome() + "/applications")) {
        if (entry.path().stem().string().rfind("com.KVX.", 0) == 0) {
            return entry.path().stem().string();
        }
    }
    return {};
}

// The desktop's default browser here: a script that writes down each URL it is given.
std::string installRecordingBrowser() {
    const std::string record = TestHome::path() + "/handed-out.txt";
    const std::string script = TestHome::path() + "/browser.sh";
    writeFileBytes(script, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + record + "'\n");
    chmod(script.c_str(), 0755);
    writeFileBytes(TestHome::dataHome() + "/applications/recording-browser.desktop",
                   "[Desktop Entry]\nType=Application\nName=Browser\nExec=" + script +
                       " %u\nMimeType=x-scheme-handler/http;x-scheme-handler/https;\n");
    writeFileBytes(TestHome::configHome() + "/mimeapps.list",
                   "[Default Applications]\nx-scheme-handler/http=recording-browser.desktop\n"
                   "x-scheme-handler/https=recording-browser.desktop\n");
    return record;
}
}  // namespace

TEST(WebAppsIT, MadeAppOpensItsSiteHandsOtherHostsOutAndGoesAwayWhole) {
    LocalHttpServer server;
    const std::string elsewhere =
        "http://localhost:" + std::to_string(server.port()) + "/elsewhere";
    server.serve("/home",
                 "<html><head><title> Example  Mail </title><link rel=icon href=/i.png></head>"
                 "<body>home<script>setTimeout(function () { location.href = '" +
                     elsewhere + "'; }, 300);</script></body></html>",
                 "text/html");
    server.serve("/i.png", redPng(), "image/png");
    server.serve("/elsewhere", "<html><body>elsewhere</body></html>", "text/html");
    server.serve("/event", "<html><body>event</body></html>", "text/html");
    const std::string handedOut = installRecordingBrowser();

    std::string out, err;
    ASSERT_EQ(sitebox({"--create", server.url("/home"), "--size", "900x700"}, &out, &err), 0)
        << err;
    const std::string bundle = appsFolder() + "/Example Mail.app";
    ASSERT_TRUE(fs::exists(bundle + "/Contents/MacOS/Sitebox")) << out << err;
    const nlohmann::json info = *Plist::readFile(bundle + "/Contents/Info.plist");
    const std::string identifier = *Files::extendedAttribute(bundle, "user.CorvaUniqueID");
    EXPECT_EQ(info["CFBundleIdentifier"], "com.KVX.Sitebox." + identifier);
    EXPECT_EQ(identifier.rfind("Example-Mail-", 0), 0u) << identifier;
    EXPECT_EQ(
        *Plist::readFile(bundle + "/Contents/Resources/CorvaCreationToolSettings.plist"),
        (nlohmann::json{{"isCreatedByCorvaCreationTool", true}, {"defaultWindowSize", "900x700"}}));
    const std::string settings = settingsFolderOf(bundle);
    const nlohmann::json stored =
        JsonFile::parse(readFileBytes(settings + "/settings.json"), nullptr);
    EXPECT_EQ(stored["main_url"], server.url("/home"));
    EXPECT_EQ(stored["enableJavaScript"], true);
    EXPECT_EQ(JsonFile::parse(readFileBytes(settings + "/whitelist.json"), nullptr)["allowAll"],
              false);
    EXPECT_EQ(updateList()[bundle], "1.0.0");

    // The desktop entry and icon carry the application id the app runs under.
    const std::string id = desktopEntryId();
    std::string element = identifier;
    std::replace(element.begin(), element.end(), '-', '_');
    EXPECT_EQ(id, "com.KVX.Sitebox." + element + "." + element);
    const std::string entry = TestHome::dataHome() + "/applications/" + id + ".desktop";
    EXPECT_EQ(Process({"desktop-file-validate", entry}).finish(), 0) << readFileBytes(entry);
    EXPECT_NE(readFileBytes(entry).find("StartupWMClass=" + id + "\n"), std::string::npos);
    std::optional<Image> icon =
        Image::fromFile(TestHome::dataHome() + "/icons/hicolor/256x256/apps/" + id + ".png");
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->pixelWidth(), 256);
    EXPECT_EQ(gdk_pixbuf_get_pixels(icon->pixbuf())[0], 0xff) << "the site's own (red) icon";
    EXPECT_EQ(gdk_pixbuf_get_pixels(icon->pixbuf())[1], 0x00);

    ASSERT_EQ(sitebox({"--list-apps"}, &out), 0);
    EXPECT_NE(out.find("Example Mail\t1.0.0\t" + server.url("/home") + "\t" + bundle),
              std::string::npos)
        << out;

    // Started, it opens its home page and the other host goes to the default browser; a second
    // launch hands its URL to the running one and ends; SIGTERM saves what was shown.
    writeFileBytes(settings + "/behavior.json", R"({"version":1.1,"restoreWindowsAndTabs":true})");
    {
        Process app({bundle + "/Contents/MacOS/Sitebox"});
        EXPECT_TRUE(waitUntil([&] { return server.requestCount("/home") > 0; }, 30000));
        EXPECT_TRUE(waitUntil(
            [&] { return readFileBytes(handedOut).find(elsewhere) != std::string::npos; }, 30000))
            << app.err();
        EXPECT_EQ(Process({bundle + "/Contents/MacOS/Sitebox", server.url("/event")}).finish(), 0);
        EXPECT_TRUE(waitUntil([&] { return server.requestCount("/event") > 0; }, 30000));
        app.terminate();
        EXPECT_EQ(app.finish(), 0);
    }
    nlohmann::json restore = JsonFile::parse(readFileBytes(settings + "/restore.json"), nullptr);
    EXPECT_EQ(restore["window0"]["url"], nlohmann::json{server.url("/home")});
    EXPECT_EQ(restore["window1"]["url"], nlohmann::json{server.url("/event")}) << "a new window";
    EXPECT_TRUE(JsonFile::parse(readFileBytes(settings + "/history.json"), nullptr).is_object());
    const std::string cache =
        TestHome::cacheHome() + "/" + info["CFBundleIdentifier"].get<std::string>();
    EXPECT_TRUE(fs::exists(cache + "/icondatabase")) << "visited pages' icons are the app's own";
    EXPECT_FALSE(fs::exists(TestHome::cacheHome() + "/webkitgtk"));

    ASSERT_EQ(sitebox({"--remove-app", "Example Mail", "--purge"}, &out, &err), 0) << err;
    for (const std::string& gone :
         {bundle, entry, settings,
          TestHome::dataHome() + "/icons/hicolor/128x128/apps/" + id + ".png", cache}) {
        EXPECT_FALSE(fs::exists(gone)) << gone;
    }
    EXPECT_FALSE(updateList().contains(bundle));
}

TEST(WebAppsIT, UpdateBringsTheNewShellAndKeepsTheAppRemoveKeepsItsData) {
    unsigned port = 0;
    {
        LocalHttpServer closed;
        port = closed.port();
    }
    std::string out, err;
    const std::string unreachable = "http://127.0.0.1:" + std::to_string(port) + "/";
    ASSERT_EQ(sitebox({"--create", unreachable, "--name", "Mail"}, &out, &err), 0) << err;
    EXPECT_NE(err.find("warning: cannot reach 127.0.0.1"), std::string::npos) << err;
    const std::string bundle = appsFolder() + "/Mail.app";
    const std::string settings = settingsFolderOf(bundle);
    writeFileBytes(settings + "/history.json", "{\"kept\":1}");
    auto snapshot = [&] {
        nlohmann::json info = *Plist::readFile(bundle + "/Contents/Info.plist");
        return std::vector<std::string>{
            info["CFBundleIdentifier"],
            info["CFBundleName"],
            info["CFBundleExecutable"],
            *Files::extendedAttribute(bundle, "user.CorvaUniqueID"),
            readFileBytes(bundle + "/Contents/Resources/AppIcon.icns"),
            readFileBytes(bundle + "/Contents/Resources/CorvaCreationToolSettings.plist"),
            readFileBytes(settings + "/settings.json"),
            readFileBytes(settings + "/whitelist.json"),
            readFileBytes(settings + "/history.json")};
    };
    const std::vector<std::string> before = snapshot();
    EXPECT_EQ(sitebox({"--create", unreachable, "--name", "Mail"}, &out, &err), 1)
        << "the name is taken";
    EXPECT_EQ(sitebox({"--create", "ftp://example.org"}), 1);
    EXPECT_EQ(sitebox({"--create", "example.org", "--bogus"}), 2);

    // A newer template: its page script is new too.
    const std::string shell = TestHome::path() + "/newer/Sitebox.app";
    ASSERT_EQ(FileTree::copy(SITEBOX_BUNDLE_DIR, shell), "");
    nlohmann::json shellInfo = *Plist::readFile(shell + "/Contents/Info.plist");
    shellInfo["CFBundleShortVersionString"] = "99.0";
    writeFileBytes(shell + "/Contents/Info.plist", Plist::toXml(shellInfo));
    const std::string script =
        readFileBytes(shell + "/Contents/Resources/VLAPIHelper.js") + "\n// newer shell\n";
    writeFileBytes(shell + "/Contents/Resources/VLAPIHelper.js", script);

    const std::string newer = shell + "/Contents/MacOS/Sitebox";
    ASSERT_EQ(sitebox({"--update-apps"}, &out, &err, newer), 0) << err;
    EXPECT_NE(out.find("Updated \"Mail\" to 99.0"), std::string::npos) << out;
    EXPECT_EQ(
        Plist::readFile(bundle + "/Contents/Info.plist")->value("CFBundleShortVersionString", ""),
        "99.0");
    EXPECT_EQ(readFileBytes(bundle + "/Contents/Resources/VLAPIHelper.js"), script);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(updateList()[bundle], "99.0");
    ASSERT_EQ(sitebox({"--update-apps"}, &out, &err, newer), 0);
    EXPECT_NE(out.find("up to date (99.0)"), std::string::npos) << out;

    ASSERT_EQ(sitebox({"--remove-app", "Mail"}, &out, &err), 0) << err;
    EXPECT_FALSE(fs::exists(bundle));
    EXPECT_EQ(desktopEntryId(), "");
    EXPECT_EQ(readFileBytes(settings + "/history.json"), "{\"kept\":1}") << "the data stays";
    EXPECT_EQ(sitebox({"--remove-app", "Mail"}, &out, &err), 1);
    EXPECT_NE(err.find("no web app named \"Mail\""), std::string::npos);
}
