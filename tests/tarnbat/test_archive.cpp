// pkzip and pkunzip lines: the archive's tree, adding and replacing, the
// check and the stop; restoring, refused archives, a full disk and kills.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "tarnbat/zip_archive.h"
#include "tests/support/file_faults.h"
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

// A linked subdirectory is packed (as del sees it), a link cycle walked once,
// and no archive is taken by the mask.
TEST_F(ArchiveTest, PacksTheRelativeTreeThatZipToolsAccept) {
    test::MakeDirs(Path("elsewhere"));
    WriteFile(Path("elsewhere/173L.exa"), "linked");
    ASSERT_EQ(symlink("../elsewhere", Path("res/link").c_str()), 0);
    ASSERT_EQ(symlink("..", Path("res/qaqc/up").c_str()), 0);
    WriteFile(Path("res/173old.zip"), "an archive");
    BatchOutcome outcome = RunBatch("pkzip res/exa173 res/173*.* -rp\n");
    EXPECT_EQ(outcome.ExitCode, 0);
    EXPECT_EQ(ConsoleText(),
              "> pkzip res/exa173 res/173*.* -rp\n< packed 5 files into res/exa173.zip\n");
    EXPECT_EQ(PythonListing("res/exa173.zip"),
              "173a.exa 8\nlink/173L.exa 6\nqaqc/173q.EXA 13\nqaqc/struc/173s.exa 19\n"
              "shift/1730500W.exa 18\n");
    std::remove(Path("res/173old.zip").c_str());
    std::remove(Path("res/link").c_str());
    EXPECT_EQ(Entries("res"),
              (std::vector<std::string>{"173a.exa", "174a.exa", "exa173.zip", "qaqc", "shift"}));
    if (system("unzip -v >/dev/null 2>&1") != 0) GTEST_SKIP() << "unzip is not installed";
    EXPECT_EQ(system("unzip -tq res/exa173.zip >/dev/null"), 0);
}

TEST_F(ArchiveTest, ExistingArchiveGetsEntriesAddedAndReplaced) {
    // The archive's own name matches the mask: it is never packed into itself.
    ASSERT_EQ(RunBatch("pkzip res/173all.zip res/173*.* -r -p\n").ExitCode, 0);
    unlink(Path("res/qaqc/173q.EXA").c_str());
    WriteFile(Path("res/173a.exa"), "longer than before");
    WriteFile(Path("res/shift/173new.exa"), "new");
    ASSERT_EQ(RunBatch("pkzip res/173all.zip res/173*.* -rp\n").ExitCode, 0);
    EXPECT_EQ(PythonListing("res/173all.zip"),
              "173a.exa 18\nqaqc/173q.EXA 13\nqaqc/struc/173s.exa 19\nshift/1730500W.exa 18\n"
              "shift/173new.exa 3\n");
    // Without -r only the directory itself; without -p names alone.
    ASSERT_EQ(RunBatch("pkzip res/flat res/shift/*.* \n").ExitCode, 0);
    EXPECT_EQ(PythonListing("res/flat.zip"), "1730500W.exa 18\n173new.exa 3\n1740500W.exa 18\n");
}

TEST_F(ArchiveTest, FailedArchiveStopsTheBatchAndKeepsTheOldArchive) {
    ASSERT_EQ(RunBatch("pkzip res/exa173 res/173*.* -rp\n").ExitCode, 0);
    std::string before = ReadFile(Path("res/exa173.zip"));
    ASSERT_EQ(symlink("gone.exa", Path("res/shift/173bad.exa").c_str()), 0);
    WriteFile(Path("res/173b.exa"), "more");
    BatchOutcome outcome = RunBatch("pkzip res/exa173 res/173*.* -rp\ndel res/173*.*\n" + Probe() +
                                    " args after.txt ran\n");
    EXPECT_EQ(outcome.ExitCode, 1);
    EXPECT_EQ(outcome.StopReason,
              "pkzip: cannot read res/shift/173bad.exa: No such file or directory");
    EXPECT_EQ(ReadFile(Path("res/exa173.zip")), before);
    EXPECT_TRUE(FileExists(Path("res/173a.exa")));
    EXPECT_FALSE(FileExists(Path("after.txt")));
    EXPECT_EQ(Entries("res"), (std::vector<std::string>{"173a.exa", "173b.exa", "174a.exa",
                                                        "exa173.zip", "qaqc", "shift"}));

    // A damaged archive, wrong arguments and a missing directory stop it too.
    WriteFile(Path("res/bad.zip"), "not an archive");
    EXPECT_EQ(test::LineStop({"pkzip", "res/bad", "res/173*.*"}),
              "pkzip: cannot open archive res/bad.zip: Not a zip archive");
    EXPECT_EQ(ReadFile(Path("res/bad.zip")), "not an archive");
    EXPECT_EQ(test::LineStop({"pkzip", "res/x"}), "pkzip: needs an archive and a file mask");
    EXPECT_EQ(test::LineStop({"pkzip", "res/x", "res/*.*", "-rx"}), "pkzip: unknown option -rx");
    EXPECT_EQ(test::LineStop({"PKZIP", "res/x", "none/*.*"}),
              "pkzip: cannot open directory none/: No such file or directory");
    EXPECT_EQ(test::LineStop({"pkzip", "res/x", "res/9*.*"}), "");  // nothing to pack: no archive
    EXPECT_FALSE(FileExists(Path("res/x.zip")));
}

// A full disk while a copy, or the copy of an existing archive, is written:
// the copy is reported, pkzip stops the batch, and the targets stay as they
// were with no temporary beside them.
TEST_F(ArchiveTest, FullDiskLeavesCopyAndArchiveAsTheyWere) {
    ASSERT_EQ(RunBatch("pkzip res/exa173 res/173*.* -rp\n").ExitCode, 0);
    const std::string archive = ReadFile(Path("res/exa173.zip"));
    SetDiskSpace(4);
    EXPECT_EQ(RunBatch("copy res/173a.exa res/174a.exa\n").ExitCode, 0);
    SetDiskSpace(4);
    EXPECT_EQ(RunBatch("pkzip res/exa173 res/173*.* -rp\n").StopReason,
              "pkzip: cannot open archive res/exa173.zip: No space left on device");
    SetDiskSpace(-1);
    EXPECT_EQ(ConsoleText(),
              "> pkzip res/exa173 res/173*.* -rp\n< packed 4 files into res/exa173.zip\n"
              "> copy res/173a.exa res/174a.exa\n"
              "< cannot copy res/173a.exa to res/174a.exa: No space left on device\n"
              "> pkzip res/exa173 res/173*.* -rp\n");
    EXPECT_EQ(ReadFile(Path("res/174a.exa")), "174a.exa");
    EXPECT_EQ(ReadFile(Path("res/exa173.zip")), archive);
    EXPECT_EQ(Entries("res"),
              (std::vector<std::string>{"173a.exa", "174a.exa", "exa173.zip", "qaqc", "shift"}));
}

// Kills of a pkzip before each of its file operations: the next pkzip removes
// the temporaries the killed ones left, never one a live pkzip holds.
TEST_F(ArchiveTest, KilledPackLeavesNothingTheNextPackKeeps) {
    ASSERT_EQ(RunBatch("pkzip res/exa173 res/173*.* -rp\n").ExitCode, 0);
    int live = open(Path("res/exa173.zip.LiveXX").c_str(), O_CREAT | O_RDWR, 0600);
    ASSERT_EQ(flock(live, LOCK_EX), 0);
    for (long op : {1, 2}) {
        pid_t pid = fork();
        if (pid == 0) {
            SetKillPoint(op, 99);
            _exit(test::LineStop({"pkzip", "res/exa173", "res/173*.*", "-rp"}).empty());
        }
        waitpid(pid, nullptr, 0);
        EXPECT_EQ(Entries("res").size(), 7u) << op;  // this kill's temporary only
    }
    ASSERT_EQ(RunBatch("pkzip res/exa173 res/173*.* -rp\n").ExitCode, 0);
    EXPECT_EQ(Entries("res"), (std::vector<std::string>{"173a.exa", "174a.exa", "exa173.zip",
                                                        "exa173.zip.LiveXX", "qaqc", "shift"}));
    close(live);
}

// Names and sizes of the files under `dir`, packed for the listing.
std::string TreeListing(const std::string& dir) {
    std::remove("check.zip");
    EXPECT_EQ(test::LineStop({"pkzip", "check", dir + "/*.*", "-rp"}), "");
    return FileExists("check.zip") ? PythonListing("check.zip") : "";
}

const char* const kRestored =
    "173a.exa 8\nqaqc/173q.EXA 13\nqaqc/struc/173s.exa 19\nshift/1730500W.exa 18\n";

// The missing files come back whole (names found without regard to case,
// existing files kept); without -d under their names alone.
TEST_F(ArchiveTest, UnzipRestoresMissingFilesAndKeepsExistingOnes) {
    ASSERT_NO_THROW(PackFiles({"res/exa173", "res/173*.*", true, true}));
    std::remove(Path("res/173a.exa").c_str());
    ASSERT_EQ(rename(Path("res/shift").c_str(), Path("res/SHIFT").c_str()), 0);
    WriteFile(Path("res/SHIFT/1730500W.exa"), "changed");
    RunBatch("pkunzip -d RES/EXA173 res\npkunzip -D res/exa173.zip out\npkunzip res/exa173 flat\n");
    EXPECT_EQ(ConsoleText(),
              "> pkunzip -d RES/EXA173 res\n< restored 1 files from res/exa173.zip\n"
              "> pkunzip -D res/exa173.zip out\n< restored 4 files from res/exa173.zip\n"
              "> pkunzip res/exa173 flat\n< restored 4 files from res/exa173.zip\n");
    EXPECT_EQ(ReadFile(Path("res/173a.exa")), "173a.exa");
    EXPECT_EQ(ReadFile(Path("res/SHIFT/1730500W.exa")), "changed");
    EXPECT_EQ(TreeListing("out"), kRestored);
    EXPECT_EQ(Entries("flat"),
              (std::vector<std::string>{"1730500W.exa", "173a.exa", "173q.EXA", "173s.exa"}));
}

// A directory of one letter receives the files (they went beside it, their
// names run on from its letter).
TEST_F(ArchiveTest, UnzipIntoADirectoryOfOneLetter) {
    ASSERT_NO_THROW(PackFiles({"res/exa173", "res/173*.*", true, true}));
    EXPECT_EQ(test::LineStop({"pkunzip", "-d", "res/exa173", "o"}), "");
    EXPECT_EQ(Entries("o"), (std::vector<std::string>{"173a.exa", "qaqc", "shift"}));
}

// A missing archive and an entry that is no plain relative path stop the
// batch before anything is written.
TEST_F(ArchiveTest, UnzipRefusesAndWritesNothing) {
    EXPECT_EQ(RunBatch("pkunzip -d res/none out\n" + Probe() + " args after.txt\n").StopReason,
              "pkunzip: cannot open archive res/none.zip: No such file");
    const char* names[] = {"../evil", "/abs", "a//b", "a\\b"};
    ASSERT_EQ(system("python3 -c 'import zipfile,sys\nfor i,n in enumerate(sys.argv[1:]): "
                     "zipfile.ZipFile(\"bad%d.zip\" % i,\"w\").writestr(n,\"x\")' "
                     "../evil /abs a//b \"a\\\\b\""),
              0);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(test::LineStop({"pkunzip", "-d", "bad" + std::to_string(i), "out"}),
                  "pkunzip: entry 1 of bad" + std::to_string(i) +
                      ".zip is no plain relative path: " + names[i]);
    EXPECT_FALSE(FileExists(Path("out")));
}

// A full disk (at a directory or in a file) and kills before each file
// operation: every file is whole or missing; the next pkunzip restores the
// rest and leaves no temporary.
TEST_F(ArchiveTest, UnzipUnderAFullDiskAndKillsLeavesWholeFilesOnly) {
    ASSERT_NO_THROW(PackFiles({"res/exa173", "res/173*.*", true, true}));
    const std::vector<std::string> unzip = {"pkunzip", "-d", "res/exa173", "out"};
    const char* const full[][2] = {
        {"0", "make directory out"}, {"4", "write out/173a.exa"}, {"8", "make directory out/qaqc"}};
    for (const auto& row : full) {
        SetDiskSpace(std::atoll(row[0]));
        EXPECT_EQ(test::LineStop(unzip),
                  std::string("pkunzip: cannot ") + row[1] + ": No space left on device");
        SetDiskSpace(-1);
        EXPECT_EQ(FileExists(Path("out")) ? TreeListing("out") : "",
                  row[0][0] == '8' ? "173a.exa 8\n" : "");
    }
    for (long op = 1; op <= 8; ++op) {
        std::system(("rm -rf " + Path("out")).c_str());
        pid_t pid = fork();
        if (pid == 0) {
            SetKillPoint(op, 99);
            _exit(test::LineStop(unzip).empty());
        }
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_EQ(WEXITSTATUS(status), 99) << op;
        EXPECT_EQ(test::LineStop(unzip), "");
        EXPECT_EQ(TreeListing("out"), kRestored) << op;
    }
}

}  // namespace
}  // namespace tarn
