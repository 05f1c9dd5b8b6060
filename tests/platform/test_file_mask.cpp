#include <gtest/gtest.h>

#include "platform/file_mask.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

class FileMaskTest : public test::TempDirTest {};

TEST(FileMask, WildcardsWithoutRegardToCase) {
    EXPECT_TRUE(MatchesMask("1850900q.TES", "1850900Q.TES"));
    EXPECT_TRUE(MatchesMask("1850900.tes", "185*.TES"));
    EXPECT_TRUE(MatchesMask("1850900.tes", "185090?.tes"));
    EXPECT_FALSE(MatchesMask("1850900.tes", "186*.tes"));
    EXPECT_FALSE(MatchesMask("1850900.tes", "185090?"));
    EXPECT_TRUE(MatchesMask("abc", "*.*"));
    EXPECT_TRUE(MatchesMask("a.b.c", "*.*"));
    EXPECT_TRUE(MatchesMask("173shiS", "173*.*"));
    EXPECT_TRUE(MatchesMask("173shiS.exa", "173*.*"));
    EXPECT_FALSE(MatchesMask("174shiS.exa", "173*.*"));
    EXPECT_TRUE(MatchesMask("a*b", "a*b"));
    EXPECT_TRUE(MatchesMask("a*bc", "a*c"));  // "*" in a name is matched by the wildcard
    EXPECT_TRUE(MatchesMask("*abc", "*"));
    EXPECT_TRUE(MatchesMask("", "*"));
    EXPECT_FALSE(MatchesMask("", "?"));
}

TEST_F(FileMaskTest, ListsRegularFilesSortedByName) {
    test::MakeDirs(Path("d/sub173"));
    for (const char* name : {"1731100.exa", "1730500.EXA", "1740500.exa", "173.txt"})
        test::WriteFile(Path(std::string("d/") + name), "x");
    std::vector<std::string> want = {"1730500.EXA", "1731100.exa"};
    EXPECT_EQ(ListFilesByMask(Path("d/173*.exa")), want);
    EXPECT_EQ(ListFilesByMask(Path("d/"), "173*.*").size(), 3u);  // not the directory
    EXPECT_TRUE(ListFilesByMask(Path("missing/*.*")).empty());
    EXPECT_EQ(ListFilesByMask(Path("D/1740500.EXA")).size(), 1u);  // directory found without case
}

}  // namespace
}  // namespace tarn
