#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <vector>

#include "FileGuards.h"
#include "TestHome.h"
#include "downloads/DownloadFile.h"
#include "downloads/DownloadJournal.h"
#include "downloads/DownloadRequest.h"
#include "foundation/Files.h"

namespace {
std::string makeFolder(const std::string& name) {
    std::string folder = TestHome::path() + "/" + name;
    EXPECT_TRUE(Files::createDirectories(folder).empty());
    return folder;
}
}  // namespace

TEST(DownloadFileTest, PiecesGoToATemporaryFileThatIsRenamedOverTheDestination) {
    const std::string folder = makeFolder("Downloads");
    const std::string path = folder + "/report.pdf";
    writeFileBytes(path, "old report");
    {
        DownloadFile file(path);
        ASSERT_EQ(file.open(), "");
        EXPECT_EQ(file.temporaryPath().rfind(path + ".", 0), 0u) << file.temporaryPath();
        ASSERT_EQ(file.append("new "), "");
        ASSERT_EQ(file.append(std::string(1, '\0') + "report"), "");
        EXPECT_EQ(readFileBytes(path), "old report") << "the destination changes only at commit";
        ASSERT_EQ(file.commit(), "");
        EXPECT_TRUE(file.committed());
        EXPECT_NE(file.commit(), "") << "a file is committed once";
        EXPECT_NE(file.append("more"), "");
    }
    EXPECT_EQ(readFileBytes(path), std::string("new ") + '\0' + "report");
    EXPECT_EQ(countFilesIn(folder), 1u);

    // Dropping an uncommitted file: the cancel and queue tests of DownloadOperationIT.

    // A name at the length limit still gets a temporary file beside it.
    const std::string longPath = folder + "/" + std::string(250, 'n') + ".bin";
    DownloadFile longFile(longPath);
    ASSERT_EQ(longFile.open(), "");
    ASSERT_EQ(longFile.append("long"), "");
    ASSERT_EQ(longFile.commit(), "");
    EXPECT_EQ(readFileBytes(longPath), "long");
    EXPECT_EQ(countFilesIn(folder), 2u);
}

TEST(DownloadFileTest, PartialFilesOfAKilledRunOrAQuitAreRemovedAndModesFollowTheUmask) {
    const std::string folder = makeFolder("Downloads");
    const std::string journal = TestHome::path() + "/partial-downloads.json";
    DownloadJournal::setPath(journal);
    ASSERT_TRUE(runInKilledChild([&] {
        DownloadFile file(folder + "/big.iso");
        file.open();
        file.append("half");
        raise(SIGKILL);  // while the download runs
    }));
    EXPECT_EQ(countFilesIn(folder), 1u) << "the killed run left its partial file";
    writeFileBytes(folder + "/kept.txt", "the user's");

    DownloadJournal::setPath(journal);  // the next start
    DownloadJournal::sweep();
    EXPECT_EQ(countFilesIn(folder), 1u);
    EXPECT_TRUE(Files::exists(folder + "/kept.txt"));

    DownloadFile running(folder + "/running.bin");
    ASSERT_EQ(running.open(), "");
    DownloadJournal::sweep();  // as quitting does
    EXPECT_FALSE(Files::exists(running.temporaryPath()));

    const mode_t previous = umask(027);
    DownloadFile file(folder + "/private.txt");
    ASSERT_EQ(file.open(), "");
    ASSERT_EQ(file.commit(), "");
    umask(previous);
    struct stat info {};
    ASSERT_EQ(stat((folder + "/private.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    DownloadJournal::setPath("");
}

TEST(DownloadFileTest, FailuresAreReportedAndLeaveNothingBehind) {
    const std::string folder = makeFolder("Downloads");

    DownloadFile missingFolder(folder + "/no/such/folder/file.bin");
    EXPECT_NE(missingFolder.open().find("cannot create a temporary file"), std::string::npos);
    EXPECT_NE(missingFolder.append("x"), "");

    // Committing onto a folder fails; the temporary file is removed.
    const std::string taken = makeFolder("Downloads/taken");
    DownloadFile ontoFolder(taken);
    ASSERT_EQ(ontoFolder.open(), "");
    ASSERT_EQ(ontoFolder.append("data"), "");
    EXPECT_NE(ontoFolder.commit().find("cannot rename the download into"), std::string::npos);
    EXPECT_EQ(countFilesIn(folder), 1u);
    EXPECT_TRUE(Files::isDirectory(taken));
    // A full disk is met with a real transfer in DownloadOperationIT.
}

TEST(DownloadRequestTest, OnlyWellFormedWebRequestsPass) {
    const std::string site = "https://example.com/";
    EXPECT_EQ(DownloadRequest{"https://example.com/a.zip"}.problem(), "");
    EXPECT_EQ(
        (DownloadRequest{"http://127.0.0.1:8080/x", "POST", {{"X-Token", "a b\tc"}}}).problem(),
        "");
    for (auto [request, problem] : std::vector<std::pair<DownloadRequest, std::string>>{
             {{"ftp://example.com/a.zip"}, "not an http or https URL: \"ftp://example.com/a.zip\""},
             {{""}, "not an http or https URL"},
             {{"http:///no-host"}, "not an http or https URL"},
             {{site, ""}, "not a valid method"},
             {{site, "GET\r\nX: y"}, "not a valid method"},
             {{site, "GET", {{"", "v"}}}, "not a valid header name"},
             {{site, "GET", {{"A B", "v"}}}, "not a valid header name"},
             {{site, "GET", {{"Bad:Name", "v"}}}, "not a valid header name: \"Bad:Name\""},
             {{site, "GET", {{"A", "v\nB: w"}}}, "header A has a value with control characters"},
             {{site, "GET", {{"A", std::string("v\0w", 3)}}}, "control characters"}}) {
        EXPECT_NE(request.problem().find(problem), std::string::npos) << request.url << problem;
    }
}
