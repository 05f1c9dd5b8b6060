#include <gtest/gtest.h>

#include "platform/paths.h"
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

TEST_F(PathsTest, ResolveCaseFindsFilesAndDirectories) {
    test::MakeDirs(Path("Shift"));
    test::WriteFile(Path("Shift/123Q.ABC"), "x");
    EXPECT_EQ(ResolveCase(Path("shift/123q.abc")), Path("Shift/123Q.ABC"));
    EXPECT_EQ(ResolveCase(Path("shift/none.abc")), Path("shift/none.abc"));
    EXPECT_TRUE(IsReadableFile(Path("SHIFT/123q.abc")));
    EXPECT_FALSE(IsReadableFile(Path("Shift")));
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
