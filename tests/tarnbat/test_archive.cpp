// pkzip and pkunzip lines: the archive's tree, adding and replacing, the
// check and the stop; restoring, refused archives, a full disk and kills.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

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
    EXPECT_EQ(ArchiveLineName("res/exa173.zip"), "res/exa173");
    EXPECT_EQ(ArchiveLineName("res/a.b007.zip"), "res/a.b007.zip");
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
              "pkzip: cannot write archive res/exa173.zip: No space left on device");
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
// the temporaries the killed ones left, never one a live writer holds, never
// a directory, never an operator's file; no temporary is ever packed.
TEST_F(ArchiveTest, KilledPackLeavesNothingTheNextPackKeeps) {
    ASSERT_EQ(RunBatch("pkzip res/exa173 res/173*.* -rp\n").ExitCode, 0);
    int live = open(Path("res/.tarn-tmp.LiveXX").c_str(), O_CREAT | O_RDWR, 0600);
    ASSERT_EQ(flock(live, LOCK_EX), 0);
    test::MakeDirs(Path("res/.tarn-tmp.DirXYZ"));
    test::MakeDirs(Path("res/exa173.zip.before"));
    WriteFile(Path("res/exa173.zip.before/a.txt"), "a");
    WriteFile(Path("res/exa173.zip.backup"), "b");
    for (long op : {1, 2, 3}) {
        pid_t pid = fork();
        if (pid == 0) {
            SetKillPoint(op, 99);
            _exit(test::LineStop({"pkzip", "res/exa173", "res/173*.*", "-rp"}).empty());
        }
        waitpid(pid, nullptr, 0);
        EXPECT_EQ(Entries("res").size(), 10u) << op;  // this kill's temporary only
    }
    ASSERT_EQ(RunBatch("pkzip res/exa173 res/173*.* -rp\npkzip res/all res/*.*\n").ExitCode, 0);
    EXPECT_EQ(Entries("res"),
              (std::vector<std::string>{".tarn-tmp.DirXYZ", ".tarn-tmp.LiveXX", "173a.exa",
                                        "174a.exa", "all.zip", "exa173.zip", "exa173.zip.backup",
                                        "exa173.zip.before", "qaqc", "shift"}));
    EXPECT_EQ(PythonListing("res/all.zip"), "173a.exa 8\n174a.exa 8\nexa173.zip.backup 1\n");
    EXPECT_EQ(ReadFile(Path("res/exa173.zip.before/a.txt")), "a");
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
    // Look-alikes of a temporary beside a restored file stay.
    WriteFile(Path("res/173a.exa.backup"), "b");
    test::MakeDirs(Path("res/173a.exa.before"));
    ASSERT_EQ(rename(Path("res/shift").c_str(), Path("res/SHIFT").c_str()), 0);
    WriteFile(Path("res/SHIFT/1730500W.exa"), "changed");
    RunBatch("pkunzip -d RES/EXA173 res\npkunzip -D res/exa173.zip out\npkunzip res/exa173 flat\n");
    EXPECT_EQ(ConsoleText(),
              "> pkunzip -d RES/EXA173 res\n< restored 1 files from res/exa173.zip\n"
              "> pkunzip -D res/exa173.zip out\n< restored 4 files from res/exa173.zip\n"
              "> pkunzip res/exa173 flat\n< restored 4 files from res/exa173.zip\n");
    EXPECT_EQ(ReadFile(Path("res/173a.exa")), "173a.exa");
    EXPECT_EQ(ReadFile(Path("res/173a.exa.backup")), "b");
    EXPECT_TRUE(std::filesystem::is_directory(Path("res/173a.exa.before")));
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

// Runs the Python script `body` (zipfile and struct imported) in the working
// directory.
void RunPython(const std::string& body) {
    WriteFile("make.py", "import struct, zipfile\n" + body);
    ASSERT_EQ(system("python3 make.py"), 0);
}

// A missing archive, an entry that is no plain relative path or holds a
// control character (raw or after its code page), and two names one file
// without regard to case stop the batch before anything is written.
TEST_F(ArchiveTest, UnzipRefusesAndWritesNothing) {
    EXPECT_EQ(RunBatch("pkunzip -d res/none out\n" + Probe() + " args after.txt\n").StopReason,
              "pkunzip: cannot open archive res/none.zip: No such file");
    const char* names[] = {"../evil", "/abs", "a//b", "a\\b", "a?b", "a?b"};
    RunPython(
        "rows = [['../evil'], ['/abs'], ['a//b'], ['a\\\\b'], ['a\\x01b'], ['a\\u0085b'],\n"
        "        ['ok', 'A.exa', 'a.exa'], ['X/a', 'x/a']]\n"
        "for i, names in enumerate(rows):\n"
        "    with zipfile.ZipFile('bad%d.zip' % i, 'w') as z: [z.writestr(n, 'x') for n in "
        "names]\n");
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(test::LineStop({"pkunzip", "-d", "bad" + std::to_string(i), "out"}),
                  "pkunzip: entry 1 of bad" + std::to_string(i) +
                      ".zip is no plain relative path: " + names[i]);
    EXPECT_EQ(test::LineStop({"pkunzip", "-d", "bad6", "out"}),
              "pkunzip: entries 2 and 3 of bad6.zip name one file: A.exa and a.exa");
    EXPECT_EQ(test::LineStop({"pkunzip", "-d", "bad7", "out"}),
              "pkunzip: entries 1 and 2 of bad7.zip name one file: X/a and x/a");
    EXPECT_FALSE(FileExists(Path("out")));
}

// No link below the directory is followed, whether it leads to a directory,
// nowhere or is found without regard to case: the line fails naming the
// entry and writes nothing.  The directory itself may be a link.
TEST_F(ArchiveTest, UnzipNeverWritesThroughALinkBelowTheDirectory) {
    ASSERT_NO_THROW(PackFiles({"res/exa173", "res/173*.*", true, true}));
    test::MakeDirs(Path("outside"));
    const char* const rows[][4] = {
        {"out", "out/shift", "../outside", "shift/1730500W.exa"},
        {"out", "out/SHIFT", "../outside", "shift/1730500W.exa"},
        {"out", "out/qaqc", "nowhere", "qaqc/173q.EXA"},
        {"out/qaqc", "out/qaqc/struc", "../../outside", "qaqc/struc/173s.exa"}};
    for (const auto& row : rows) {
        std::filesystem::remove_all(Path("out"));
        test::MakeDirs(Path(row[0]));
        ASSERT_EQ(symlink(row[2], Path(row[1]).c_str()), 0);
        EXPECT_EQ(test::LineStop({"pkunzip", "-d", "res/exa173", "out"}),
                  std::string("pkunzip: entry ") + row[3] +
                      " of res/exa173.zip would be written through the link " + row[1]);
        EXPECT_TRUE(Entries("outside").empty()) << row[1];
        EXPECT_FALSE(FileExists(Path("out/173a.exa"))) << row[1];
    }
    ASSERT_EQ(symlink("outside", Path("linked").c_str()), 0);
    EXPECT_EQ(test::LineStop({"pkunzip", "-d", "res/exa173", "linked/"}), "");
    EXPECT_EQ(TreeListing("outside"), kRestored);
}

// An entry that inflates beyond its declared size on a small disk, and
// declared sizes beyond the free space: the line fails naming them, nothing
// beyond the declared size is written and nothing is left.
TEST_F(ArchiveTest, UnzipBoundsWhatEntriesWrite) {
    RunPython(
        "def declare(path, size):\n"
        "    d = bytearray(open(path, 'rb').read())\n"
        "    for sig, at in ((b'PK\\3\\4', 22), (b'PK\\1\\2', 24)):\n"
        "        for i in [i for i in range(len(d)) if d.startswith(sig, i)]:\n"
        "            struct.pack_into('<I', d, i + at, size)\n"
        "    open(path, 'wb').write(d)\n"
        "with zipfile.ZipFile('bomb.zip', 'w', zipfile.ZIP_DEFLATED) as z:\n"
        "    z.writestr('big.exa', bytes(1 << 22))\n"
        "declare('bomb.zip', 100)\n"
        "with zipfile.ZipFile('huge.zip', 'w', zipfile.ZIP_DEFLATED) as z:\n"
        "    [z.writestr('h%d.exa' % i, 'x') for i in range(1000)]\n"
        "declare('huge.zip', 0xFFFFFFF0)\n");
    const char* const rows[][2] = {
        {"bomb", "pkunzip: entry big.exa of bomb.zip holds more than its declared 100 bytes"},
        {"huge", "pkunzip: the missing files of huge.zip need 4294967280000 bytes, out has "}};
    for (const auto& row : rows) {
        ResetFileHooks();
        SetDiskSpace(1 << 16);
        const std::string stop = test::LineStop({"pkunzip", "-d", row[0], "out"});
        SetDiskSpace(-1);
        EXPECT_EQ(stop.substr(0, std::strlen(row[1])), row[1]);
        EXPECT_LE(BytesWritten(), 100);
        EXPECT_FALSE(FileExists(Path("out"))) << row[0];
    }
}

// A full disk (at a directory or in a file) and kills before every file
// operation: a failed restore leaves nothing new; after a kill the next
// pkunzip restores the rest and leaves no temporary.
TEST_F(ArchiveTest, UnzipUnderAFullDiskAndKillsLeavesWholeFilesOnly) {
    ASSERT_NO_THROW(PackFiles({"res/exa173", "res/173*.*", true, true}));
    const std::vector<std::string> unzip = {"pkunzip", "-d", "res/exa173", "out"};
    const char* const full[][2] = {
        {"0", "make directory out"}, {"4", "write out/173a.exa"}, {"8", "write out/qaqc/173q.EXA"}};
    for (const auto& row : full) {
        SetDiskSpace(std::atoll(row[0]));
        EXPECT_EQ(test::LineStop(unzip),
                  std::string("pkunzip: cannot ") + row[1] + ": No space left on device");
        SetDiskSpace(-1);
        EXPECT_FALSE(FileExists(Path("out"))) << row[1];
    }
    ResetFileHooks();
    ASSERT_EQ(test::LineStop(unzip), "");
    const long operations = FileOperations();  // the last 4: a flush after each rename
    for (long op = 1; op <= operations; ++op) {
        std::system(("rm -rf " + Path("out")).c_str());
        pid_t pid = fork();
        if (pid == 0) {
            SetKillPoint(op, 99);
            _exit(test::LineStop(unzip).empty());
        }
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_EQ(WEXITSTATUS(status), 99) << op;
        EXPECT_EQ(FileExists(Path("out/173a.exa")), op > operations - 4) << op;
        EXPECT_EQ(test::LineStop(unzip), "");
        EXPECT_EQ(TreeListing("out"), kRestored) << op;
        EXPECT_NE(std::system(("find out -name '.tarn-tmp.*' | grep -q .")), 0) << op;
    }
}

}  // namespace
}  // namespace tarn
