// Splitting, program lines, del and copy.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/tarnbat/batch_test.h"

namespace tarn {
namespace {

using test::BatchTest;
using test::FileExists;
using test::ReadFile;
using test::WriteFile;

TEST(BatchSplit, BlanksSeparateAndQuotesGroup) {
    using Args = std::vector<std::string>;
    EXPECT_EQ(SplitBatchLine("  tarnpelo\t1850900  exa  "), (Args{"tarnpelo", "1850900", "exa"}));
    EXPECT_EQ(SplitBatchLine("p \"a b\" \"\" x\"y z\"w"), (Args{"p", "a b", "", "xy zw"}));
    EXPECT_EQ(SplitBatchLine("p \"open to end"), (Args{"p", "open to end"}));
    EXPECT_TRUE(SplitBatchLine(" \t ").empty());
}

TEST_F(BatchTest, ProgramsGetTheirArgumentsWholeAndTheBatchGoesOn) {
    std::string probe = Probe();
    std::string lines = probe + " args out.txt \"x; touch injected\" plain \"\" $(touch sub)\n" +
                        probe + " exit 3\r\n\n" +  // also a CR LF line end
                        probe + " signal 9\n";
    BatchOutcome outcome = RunBatch(lines);
    EXPECT_EQ(outcome.ExitCode, 0);
    EXPECT_EQ(outcome.StopReason, "");
    EXPECT_EQ(ReadFile(Path("out.txt")), "x; touch injected\nplain\n\n$(touch\nsub)\n");
    EXPECT_FALSE(FileExists(Path("injected")));
    EXPECT_FALSE(FileExists(Path("sub")));
    EXPECT_EQ(ConsoleText(),
              "> " + probe + " args out.txt \"x; touch injected\" plain \"\" $(touch sub)\n" +
                  "< exit status 0\n" + "> " + probe + " exit 3\n" + "< exit status 3\n" + "> " +
                  probe + " signal 9\n" + "< ended by signal 9\n");
}

// The name part of a mask matches letter for letter; a mask with a wildcard
// never takes an archive, a line naming one exactly does.
TEST_F(BatchTest, DelRemovesMatchingFilesOnly) {
    test::MakeDirs(Path("d/173dir"));
    test::MakeDirs(Path("d/sub"));
    for (const char* name : {"1730500.exa", "1731100.EXA", "173", "1740500.exa", "readme", "Readme",
                             "sub/1730600.exa", "173dir/1730700.exa", "173185.zip", "173186.ZIP"})
        WriteFile(Path(std::string("d/") + name), "x");
    RunBatch(
        "DEL d/173*.*\ndel D/readme\ndel d/none*.xyz missing/*.* d/17318?.ZIP d/173185.zip\ndel\n");
    EXPECT_EQ(ConsoleText(),
              "> DEL d/173*.*\n> del D/readme\n> del d/none*.xyz missing/*.* d/17318?.ZIP "
              "d/173185.zip\n> del\n< del needs a file name\n");
    for (const char* gone : {"1730500.exa", "1731100.EXA", "173", "readme", "173185.zip"})
        EXPECT_FALSE(FileExists(Path(std::string("d/") + gone))) << gone;
    for (const char* kept :
         {"1740500.exa", "sub/1730600.exa", "173dir/1730700.exa", "Readme", "173186.ZIP"})
        EXPECT_TRUE(FileExists(Path(std::string("d/") + kept))) << kept;
}

TEST_F(BatchTest, CopyCopiesOneFileAndReportsFailures) {
    WriteFile(Path("CHECK.OK"), "OK\n");
    test::MakeDirs(Path("into"));
    ASSERT_EQ(mkfifo(Path("pipe").c_str(), 0600), 0);  // no writer: never to be opened
    BatchOutcome outcome = RunBatch(
        "copy check.ok CHECK.RES\ncopy CHECK.OK into\ncopy missing.txt x\ncopy CHECK.OK\n"
        "copy into x\ncopy pipe x\n");
    EXPECT_EQ(outcome.ExitCode, 0);
    EXPECT_EQ(ReadFile(Path("CHECK.RES")), "OK\n");
    EXPECT_EQ(ReadFile(Path("into/CHECK.OK")), "OK\n");
    EXPECT_FALSE(FileExists(Path("x")));
    EXPECT_EQ(Entries("."),
              (std::vector<std::string>{"CHECK.OK", "CHECK.RES", "into", "pipe", "tarn_bat.bat"}));
    EXPECT_EQ(ConsoleText(),
              "> copy check.ok CHECK.RES\n> copy CHECK.OK into\n> copy missing.txt x\n"
              "< cannot copy missing.txt to x: No such file or directory\n"
              "> copy CHECK.OK\n< copy needs a source and a target\n"
              "> copy into x\n< cannot copy into to x: not a file\n"
              "> copy pipe x\n< cannot copy pipe to x: not a file\n");
}

}  // namespace
}  // namespace tarn
