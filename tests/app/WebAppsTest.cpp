#include <gtest/gtest.h>

#include "app/AppCreator.h"
#include "app/CommandLine.h"
#include "app/DesktopEntry.h"
#include "app/SiteProbe.h"

TEST(WebAppsTest, CommandLineTakesOnlyItsOwnCommands) {
    using C = CommandLine::Command;
    struct Case {
        std::vector<std::string> arguments;
        C command;
        std::string error;  // a piece of it
    };
    const std::vector<Case> cases = {
        {{}, C::None, ""},
        {{"https://example.org"}, C::None, ""},
        {{"--name", "x", "--class=y"}, C::None, ""},  // the toolkit's own options
        {{"--create", "example.org", "--name=Mail", "--size", "800x600"}, C::Create, ""},
        {{"--create"}, C::Create, "needs a value"},
        {{"--create", "--name", "x"}, C::Create, "needs a value"},
        {{"--create=", "x"}, C::Create, "needs a value"},
        {{"--create", "a", "--size", "big"}, C::Create, "WIDTHxHEIGHT"},
        {{"--create", "a", "--purge"}, C::Create, "does not go"},
        {{"--create", "a", "extra"}, C::Create, "unknown argument"},
        {{"--remove-app", "Mail", "--purge"}, C::RemoveApp, ""},
        {{"--list-apps", "--update-apps"}, C::ListApps, "one command"},
        {{"--list-apps=yes"}, C::ListApps, "takes no value"},
        {{"--version"}, C::Version, ""},
    };
    for (const Case& test : cases) {
        CommandLine line = CommandLine::parse(test.arguments);
        SCOPED_TRACE(testing::PrintToString(test.arguments));
        EXPECT_EQ(line.command, test.command);
        if (test.error.empty()) {
            EXPECT_EQ(line.error, "");
        } else {
            EXPECT_NE(line.error.find(test.error), std::string::npos) << line.error;
        }
    }
    CommandLine create = CommandLine::parse(
        {"--create", "example.org", "--name=Mail", "--icon", "i.png", "--dir", "d"});
    EXPECT_EQ(create.url, "example.org");
    EXPECT_EQ(create.name, "Mail");
    EXPECT_EQ(create.icon, "i.png");
    EXPECT_EQ(create.folder, "d");
    EXPECT_TRUE(CommandLine::parse({"--remove-app", "Mail", "--purge"}).purge);
}

TEST(WebAppsTest, NamesAndAddressesFromHostileInput) {
    const std::vector<std::pair<std::string, std::string>> folders = {
        {"Mail", "Mail"},
        {"  ../../etc/passwd ", "-..-etc-passwd"},
        {"My.app.application", "Mylication"},
        {"a\nb\tc", "a b c"},
        {"...", ""},
        {std::string("bad \xff utf8"), "bad \xef\xbf\xbd utf8"},
        {std::string(99, 'x') + "é", std::string(99, 'x')},  // not cut inside a character
    };
    for (const auto& [name, folder] : folders) {
        EXPECT_EQ(AppCreator::folderName(name), folder) << name;
    }
    EXPECT_EQ(AppCreator::identifierStem("Ma boîte: mail!"), "Ma-bo-te-mail");
    EXPECT_EQ(AppCreator::identifierStem("日本"), "WebApp");
    EXPECT_EQ(AppCreator::webAddress(" example.org/x "), "https://example.org/x");
    EXPECT_EQ(AppCreator::webAddress("localhost:8080"), "http://localhost:8080");
    for (const char* bad :
         {"", "ftp://example.org", "javascript:alert(1)", "http://", "a b", "http://a\tb/"}) {
        EXPECT_EQ(AppCreator::webAddress(bad), std::nullopt) << bad;
    }
}

TEST(WebAppsTest, DesktopEntryQuotesWhatTheFormatReserves) {
    EXPECT_EQ(DesktopEntry::execArgument("/opt/apps/Mail.app/Contents/MacOS/Sitebox"),
              "/opt/apps/Mail.app/Contents/MacOS/Sitebox");
    EXPECT_EQ(DesktopEntry::execArgument("/My Apps/50% \"off\"/$x`y`\\z"),
              "\"/My Apps/50%% \\\"off\\\"/\\$x\\`y\\`\\\\z\"");
    const std::string text = DesktopEntry::text(
        {"com.KVX.Sitebox.Mail_1.Mail_1", "Mail\nX=1", "Web app of mail.example", "/a b/Sitebox"});
    EXPECT_NE(text.find("\nName=Mail\\nX=1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nExec=\"/a b/Sitebox\" %U\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nIcon=com.KVX.Sitebox.Mail_1.Mail_1\n"), std::string::npos);
}

TEST(WebAppsTest, PageHeadGivesTitleAndLargestIconFirst) {
    const std::string page = "https://www.example.org/app/";
    SiteProbe::Head head = SiteProbe::parseHead(
        "<html><head><title>\n  Mail &amp; more\t</title>"
        "<link rel=icon href=/small.png sizes=16x16>"
        "<link rel='shortcut icon' href='javascript:alert(1)'>"
        "<link rel='icon' sizes='192x192' href='big.png'>"
        "<link rel='apple-touch-icon' href='//cdn.example.org/touch.png'>"
        "<title>second</title>",
        page);
    EXPECT_EQ(head.title, "Mail & more");
    EXPECT_EQ(head.icons,
              (std::vector<std::string>{
                  "https://cdn.example.org/touch.png", "https://www.example.org/app/big.png",
                  "https://www.example.org/small.png", "https://www.example.org/favicon.ico"}));
    SiteProbe::Head garbage = SiteProbe::parseHead(std::string("\0<<title>", 9) + "\xff", page);
    EXPECT_EQ(garbage.icons, std::vector<std::string>{"https://www.example.org/favicon.ico"});
}
