#include <gtest/gtest.h>

#include "browser/PolicyRules.h"

using Kind = PolicyRules::ResponseDecision::Kind;

// Which address a redirect is judged by is checked on real redirects in the page controller's
// tests.
TEST(PolicyRules, RootDomainAndWebAddresses) {
    EXPECT_EQ(PolicyRules::getRootDomain("x.y.z"), "y.z");
    EXPECT_EQ(PolicyRules::getRootDomain("w.x.y.z"), "x.y.z");
    EXPECT_EQ(PolicyRules::getRootDomain("y.z"), "y.z");
    EXPECT_EQ(PolicyRules::getRootDomain("localhost"), "localhost");
    EXPECT_TRUE(PolicyRules::isWebAddress("https://x/"));
    EXPECT_TRUE(PolicyRules::isWebAddress("http://x/"));
    EXPECT_FALSE(PolicyRules::isWebAddress("HTTP://x/"));
    EXPECT_FALSE(PolicyRules::isWebAddress("mailto:a@b.c"));
}

TEST(PolicyRules, FileNamesFromContentDisposition) {
    EXPECT_EQ(PolicyRules::extractFileName("attachment; filename=\"report.pdf\""), "report.pdf");
    EXPECT_EQ(PolicyRules::extractFileName("inline; filename=\"a%20b.txt\""), "a b.txt");
    EXPECT_EQ(PolicyRules::extractFileName("attachment; filename*=UTF-8''na%C3%AFve%20file.txt"),
              "na\xc3\xafve file.txt");
    EXPECT_EQ(PolicyRules::extractFileName("attachment"), std::nullopt);
    EXPECT_EQ(PolicyRules::extractFileName(""), std::nullopt);
    // Hostile names cannot climb out of the chosen folder.
    EXPECT_EQ(PolicyRules::extractFileName("attachment; filename=\"../../.bashrc\""), "bashrc");
    EXPECT_EQ(PolicyRules::extractFileName("attachment; filename=\"..\""), std::nullopt);
    // Undecodable escapes are read as they stand.
    EXPECT_EQ(PolicyRules::extractFileName("attachment; filename=\"100%.txt\""), "100%.txt");
}

// A named attachment, a PDF and a page to be saved are checked on real responses in the page
// controller's tests, and so is which downloads are fetched again.
TEST(PolicyRules, ResponsesSavedOrShown) {
    auto decide = [](bool mainFrame, std::string url, std::string mime,
                     std::optional<std::string> disposition, bool flag = false) {
        return PolicyRules::decideResponse({mainFrame, url, mime, disposition, flag});
    };
    EXPECT_EQ(decide(true, "https://x/song", "audio/mpeg", std::nullopt).kind, Kind::Download);
    EXPECT_EQ(decide(true, "https://x/page", "text/html", std::nullopt).kind, Kind::Show);
    // An attachment is saved whatever its type; an inline text stays in the window.
    auto csv = decide(true, "https://x/export?f=csv", "text/csv",
                      std::string("Attachment; filename=\"export.csv\""));
    EXPECT_EQ(csv.kind, Kind::Download);
    EXPECT_EQ(csv.fileName, "export.csv");
    EXPECT_EQ(decide(true, "https://x/i.ics", "text/calendar", std::string("attachment")).fileName,
              "i.ics");
    EXPECT_EQ(
        decide(true, "https://x/t", "text/plain", std::string("inline; filename=\"t.txt\"")).kind,
        Kind::Show);

    // Images: saved by name, shown when the name carries a query.
    EXPECT_EQ(decide(true, "https://x/pic.png", "image/png", std::nullopt).kind, Kind::Download);
    EXPECT_EQ(decide(true, "https://x/pic.png?w=10", "image/png", std::nullopt).kind, Kind::Show);

    // The save-page flag turns only pages into files.
    EXPECT_EQ(decide(true, "https://x/t.txt", "text/plain", std::nullopt, true).kind, Kind::Show);

    // Subframes: only attachments with a name are saved.
    EXPECT_EQ(decide(false, "https://x/f.pdf", "application/pdf", std::nullopt).kind, Kind::Show);
    EXPECT_EQ(
        decide(false, "https://x/f", "text/plain", std::string("inline; filename=\"f.txt\"")).kind,
        Kind::Show);
}
