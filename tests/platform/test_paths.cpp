#include <gtest/gtest.h>

#include "platform/file_transaction.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "platform/text_file.h"
#include "tests/support/file_faults.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

class PathsTest : public test::TempDirTest {};

TEST(Paths, TrailingSeparator) {
    std::string sep(1, kPathSeparator);
    EXPECT_EQ(WithTrailingSeparator("c" + sep + "uv"), "c" + sep + "uv" + sep);
    EXPECT_EQ(WithTrailingSeparator("c" + sep + "uv" + sep), "c" + sep + "uv" + sep);
    EXPECT_EQ(WithTrailingSeparator(sep), sep);
    EXPECT_EQ(WithTrailingSeparator("x"), "x");
    EXPECT_EQ(WithTrailingSeparator(""), "");
}

// A file in a directory that a full disk kept from being made (or whose
// parent it kept) names the creation's error, held for the run or not.
TEST_F(PathsTest, MissingDirectoryNamesWhyItCouldNotBeMade) {
    SetDiskSpace(0);
    MakeDirectory(Path("a"));
    MakeDirectory(Path("a/b"));
    ResetFileHooks();
    RunFileStore store;
    ScopedFileStore installed(store);
    store.Begin(Path("j"), {Path("a/b/")});
    for (const char* file : {"a/x.txt", "a/b/x.txt"}) {
        try {
            CreateWithLines(Path(file), {"x"});
            ADD_FAILURE() << file;
        } catch (const RunTimeError& e) {
            EXPECT_EQ(e.Reason(), "No space left on device");
        }
    }
}

TEST_F(PathsTest, ResolveCaseFindsFilesAndDirectories) {
    test::MakeDirs(Path("Shift"));
    test::WriteFile(Path("Shift/123Q.ABC"), "x");
    EXPECT_EQ(ResolveCase(Path("shift/123q.abc")), Path("Shift/123Q.ABC"));
    EXPECT_EQ(ResolveCase(Path("shift/none.abc")), Path("shift/none.abc"));
    EXPECT_TRUE(IsReadableFile(Path("SHIFT/123q.abc")));
    EXPECT_FALSE(IsReadableFile(Path("Shift")));
}

TEST_F(PathsTest, ResolveCaseOfTheLastComponentAndOfEarlierOnes) {
    test::MakeDirs(Path("qaqc/Struc"));
    test::WriteFile(Path("qaqc/Struc/1731100Q.EXA"), "x");
    // The directory exists as named: only the file's case is looked up.
    EXPECT_EQ(ResolveCase(Path("qaqc/Struc/1731100q.exa")), Path("qaqc/Struc/1731100Q.EXA"));
    // A directory of other case on the way: each component is looked up.
    EXPECT_EQ(ResolveCase(Path("QAQC/struc/1731100q.exa")), Path("qaqc/Struc/1731100Q.EXA"));
    EXPECT_EQ(ResolveCase(Path("qaqc/Struc/none.exa")), Path("qaqc/Struc/none.exa"));
    EXPECT_EQ(ResolveCase(Path("qaqc/Struc/")), Path("qaqc/Struc/"));
    EXPECT_TRUE(IsReadableFile(Path("qaqc/struc/1731100q.EXA")));
    EXPECT_FALSE(IsReadableFile(Path("qaqc/struc")));
    EXPECT_FALSE(IsReadableFile(Path("qaqc/struc/none.exa")));
    EXPECT_FALSE(IsReadableFile(Path("qaqc/Struc/1731100Q.EXA/x")));  // a file is no directory
}

TEST_F(PathsTest, MakeDirectoryIgnoresErrors) {
    MakeDirectory(Path("d"));
    MakeDirectory(Path("d"));               // exists
    MakeDirectory(Path("missing/parent"));  // parent missing
    EXPECT_TRUE(test::FileExists(Path("d")));
    EXPECT_FALSE(test::FileExists(Path("missing")));
}

}  // namespace
}  // namespace tarn
