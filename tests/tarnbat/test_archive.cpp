// pkzip lines: the archive's tree, adding and replacing, the check and the stop.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "tarnbat/zip_archive.h"
#include "tests/tarnbat/batch_test.h"

namespace tarn {
namespace {

using test::FileExists;
using test::ReadFile;
using test::WriteFile;

// Runs a command and returns its standard output; `status` gets its exit status.
std::string CommandOutput(const std::string& command, int& status) {
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return text;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
    status = pclose(pipe);
    return text;
}

// "name size" of every entry, sorted, after Python's zipfile tested every entry.
std::string PythonListing(const std::string& archive) {
    int status = -1;
    std::string text = CommandOutput(
        "python3 -c 'import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); "
        "assert z.testzip() is None; "
        "print(\"\\n\".join(sorted(i.filename+\" \"+str(i.file_size) for i in z.infolist())))' " +
            archive,
        status);
    EXPECT_EQ(status, 0) << archive;
    return text;
}

class ArchiveTest : public test::BatchTest {
  protected:
    void SetUp() override {
        BatchTest::SetUp();
        test::MakeDirs(Path("res/shift"));
        test::MakeDirs(Path("res/qaqc/struc"));
        test::MakeDirs(Path("res/qaqc/173dir"));
        for (const char* name : {"173a.exa", "174a.exa", "shift/1730500W.exa", "shift/1740500W.exa",
                                 "qaqc/173q.EXA", "qaqc/struc/173s.exa", "qaqc/173dir/x.exa"})
            WriteFile(Path(std::string("res/") + name), name);
    }
};

TEST(ArchiveName, ZipAddedWithoutExtension) {
    EXPECT_EQ(ArchiveFileName("res/exa173"), "res/exa173.zip");
    EXPECT_EQ(ArchiveFileName("a.b/exa173"), "a.b/exa173.zip");
    EXPECT_EQ(ArchiveFileName("res/exa173.ZIP"), "res/exa173.ZIP");
}

TEST_F(ArchiveTest, PacksTheRelativeTreeThatZipToolsAccept) {
    BatchOutcome outcome = RunBatch("pkzip res/exa173 res/173*.* -rp\n");
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(ConsoleText(),
              "> pkzip res/exa173 res/173*.* -rp\n< packed 4 files into res/exa173.zip\n");
    EXPECT_EQ(PythonListing("res/exa173.zip"),
              "173a.exa 8\nqaqc/173q.EXA 13\nqaqc/struc/173s.exa 19\nshift/1730500W.exa 18\n");
    EXPECT_EQ(Entries("res"),
              (std::vector<std::string>{"173a.exa", "174a.exa", "exa173.zip", "qaqc", "shift"}));
    if (system("unzip -v >/dev/null 2>&1") != 0) GTEST_SKIP() << "unzip is not installed";
    EXPECT_EQ(system("unzip -tq res/exa173.zip >/dev/null"), 0);
}

TEST_F(ArchiveTest, ExistingArchiveGetsEntriesAddedAndReplaced) {
    // The archive's own name matches the mask: it is never packed into itself.
    ASSERT_EQ(RunBatch("pkzip res/173all.zip res/173*.* -r -p\n").exitCode, 0);
    unlink(Path("res/qaqc/173q.EXA").c_str());
    WriteFile(Path("res/173a.exa"), "longer than before");
    WriteFile(Path("res/shift/173new.exa"), "new");
    ASSERT_EQ(RunBatch("pkzip res/173all.zip res/173*.* -rp\n").exitCode, 0);
    EXPECT_EQ(PythonListing("res/173all.zip"),
              "173a.exa 18\nqaqc/173q.EXA 13\nqaqc/struc/173s.exa 19\nshift/1730500W.exa 18\n"
              "shift/173new.exa 3\n");
    // Without -r only the directory itself; without -p names alone.
    ASSERT_EQ(RunBatch("pkzip res/flat res/shift/*.* \n").exitCode, 0);
    EXPECT_EQ(PythonListing("res/flat.zip"), "1730500W.exa 18\n173new.exa 3\n1740500W.exa 18\n");
}

TEST_F(ArchiveTest, FailedArchiveStopsTheBatchAndKeepsTheOldArchive) {
    ASSERT_EQ(RunBatch("pkzip res/exa173 res/173*.* -rp\n").exitCode, 0);
    std::string before = ReadFile(Path("res/exa173.zip"));
    ASSERT_EQ(symlink("gone.exa", Path("res/shift/173bad.exa").c_str()), 0);
    WriteFile(Path("res/173b.exa"), "more");
    BatchOutcome outcome = RunBatch("pkzip res/exa173 res/173*.* -rp\ndel res/173*.*\n" + Probe() +
                                    " args after.txt ran\n");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.stopReason,
              "pkzip: cannot read res/shift/173bad.exa: No such file or directory");
    EXPECT_EQ(ReadFile(Path("res/exa173.zip")), before);
    EXPECT_TRUE(FileExists(Path("res/173a.exa")));
    EXPECT_FALSE(FileExists(Path("after.txt")));
    EXPECT_EQ(Entries("res"), (std::vector<std::string>{"173a.exa", "173b.exa", "174a.exa",
                                                        "exa173.zip", "qaqc", "shift"}));

    // A damaged archive, wrong arguments and a missing directory stop it too.
    WriteFile(Path("res/bad.zip"), "not an archive");
    EXPECT_EQ(RunBatchLine({"pkzip", "res/bad", "res/173*.*"}),
              "pkzip: cannot open archive res/bad.zip: Not a zip archive");
    EXPECT_EQ(ReadFile(Path("res/bad.zip")), "not an archive");
    EXPECT_EQ(RunBatchLine({"pkzip", "res/x"}), "pkzip: needs an archive and a file mask");
    EXPECT_EQ(RunBatchLine({"pkzip", "res/x", "res/*.*", "-rx"}), "pkzip: unknown option -rx");
    EXPECT_EQ(RunBatchLine({"PKZIP", "res/x", "none/*.*"}),
              "pkzip: cannot open directory none/: No such file or directory");
    EXPECT_EQ(RunBatchLine({"pkzip", "res/x", "res/9*.*"}), "");  // nothing to pack: no archive
    EXPECT_FALSE(FileExists(Path("res/x.zip")));
}

}  // namespace
}  // namespace tarn
