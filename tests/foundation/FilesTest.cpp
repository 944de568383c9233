#include <gtest/gtest.h>

#include "FileGuards.h"
#include "TestHome.h"
#include "foundation/Files.h"
#include "foundation/JsonFile.h"

namespace {
std::string folder() {
    return TestHome::path() + "/files";
}
}  // namespace

TEST(Files, AtomicWriteReplacesWholeFileAndLeavesNoTemporary) {
    ASSERT_EQ(Files::createDirectories(folder()), "");
    const std::string path = folder() + "/a.json";
    EXPECT_EQ(Files::writeAtomically(path, "first version, longer than the second"), "");
    EXPECT_EQ(Files::writeAtomically(path, "second"), "");
    EXPECT_EQ(readFileBytes(path), "second");
    EXPECT_EQ(countFilesIn(folder()), 1u);
}

TEST(Files, FailedWriteKeepsPreviousFileByteForByte) {
    ASSERT_EQ(Files::createDirectories(folder()), "");
    const std::string path = folder() + "/store.json";
    const std::string before = "{\"keep\":\"me\",\"bytes\":[1,2,3]}";
    writeFileBytes(path, before);

    {
        // A full disk: the file may not grow past 16 bytes.
        FileSizeLimit limit(16);
        std::string error = Files::writeAtomically(path, std::string(4096, 'x'));
        EXPECT_NE(error, "");
    }
    EXPECT_EQ(readFileBytes(path), before);
    EXPECT_EQ(countFilesIn(folder()), 1u) << "the temporary file must be removed";

    UnwritableFolder readOnly(folder());
    if (!readOnly.active()) {
        GTEST_SKIP() << "cannot make a folder read-only here";
    }
    EXPECT_NE(Files::writeAtomically(path, "replacement"), "");
    EXPECT_EQ(readFileBytes(path), before);
}

TEST(Files, CreateDirectoriesReportsAFileInTheWay) {
    writeFileBytes(TestHome::path() + "/blocker", "x");
    EXPECT_NE(Files::createDirectories(TestHome::path() + "/blocker/sub"), "");
    EXPECT_EQ(Files::createDirectories(TestHome::path() + "/a/b/c"), "");
    EXPECT_TRUE(Files::isDirectory(TestHome::path() + "/a/b/c"));
}

// Broken and too deeply nested documents are refused, with the reason logged, in the stores' and
// the user defaults' tests.
TEST(JsonFile, BracketsInStringsAreNoNestingAndBadUtf8IsReplaced) {
    std::string error;
    auto ok = JsonFile::parse("{\"text\":\"" + std::string(500, '[') + "\"}", &error);
    EXPECT_TRUE(ok.is_object());
    EXPECT_EQ(error, "");
    EXPECT_NE(
        JsonFile::serialize({{"title", std::string("bad \xff\xfe byte")}}).find("\xef\xbf\xbd"),
        std::string::npos);
}
