// Result files held until the commit, the commit under a full disk and under a
// kill at every one of its file operations, the recovery of a cut journal, and
// the lock of a run directory.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>

#include "platform/console.h"
#include "platform/file_transaction.h"
#include "platform/run_error.h"
#include "platform/run_lock.h"
#include "platform/text_file.h"
#include "tests/support/file_faults.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using test::FileExists;
using test::ReadFile;
using test::WriteFile;

constexpr int kKilled = 99;

class FileTransactionTest : public test::TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        test::MakeDirs(Path("res/sub"));
        Restore();
    }
    void TearDown() override {
        store.Abandon();
        ResetFileHooks();
        TempDirTest::TearDown();
    }

    // The result tree before the run: a day file, a per-scan file, no new file.
    void Restore() {
        WriteFile(Path("res/day.txt"), "! head\nrow 1\n");
        WriteFile(Path("res/sub/scan.txt"), "old scan\n");
        std::remove(Path("res/sub/new.txt").c_str());
    }
    bool AsBefore() const {
        return ReadFile(Path("res/day.txt")) == "! head\nrow 1\n" &&
               ReadFile(Path("res/sub/scan.txt")) == "old scan\n" &&
               !FileExists(Path("res/sub/new.txt")) && !FileExists(Journal()) &&
               !FileExists(Path("res/sub/scan.txt.tarnnew"));
    }
    std::string Journal() const { return Path("tarnpelo.jnl"); }

    RunFileStore store;
    ScopedFileStore installed{store};

    // One run's writes: a row appended, a new file, a per-scan file replaced.
    void Stage() {
        store.Begin(Journal(), {Path("res/")});
        AppendLines(Path("res/day.txt"), {"row 2"});
        CreateWithLines(Path("res/sub/new.txt"), {"! new head"});
        AppendLines(Path("res/sub/new.txt"), {"new row"});
        CreateWithLines(Path("res/sub/scan.txt"), {"new scan"});
    }
};

TEST_F(FileTransactionTest, HeldUntilTheCommitAndDroppedOnAbandon) {
    Stage();
    CreateWithLines(Path("outside.txt"), {"direct"});  // not under a root
    EXPECT_EQ(ReadFile(Path("outside.txt")), "direct\n");
    EXPECT_TRUE(AsBefore());
    EXPECT_TRUE(store.Holds(Path("res/sub/new.txt")));
    EXPECT_TRUE(store.Holds(Path("res/SUB/NEW.TXT")));  // names compared without regard to case
    TextIn in;
    ASSERT_TRUE(in.Open(Path("res/day.txt")));
    for (const char* line : {"! head", "row 1", "row 2"}) EXPECT_EQ(in.ReadLine(), line);
    EXPECT_TRUE(in.Eof());
    EXPECT_THROW(AppendLines(Path("res/none.txt"), {"x"}), RunTimeError);
    EXPECT_THROW(CreateWithLines(Path("res/nodir/x.txt"), {"x"}), RunTimeError);

    store.Commit();
    EXPECT_EQ(ReadFile(Path("res/day.txt")), "! head\nrow 1\nrow 2\n");
    EXPECT_EQ(ReadFile(Path("res/sub/new.txt")), "! new head\nnew row\n");
    EXPECT_EQ(ReadFile(Path("res/sub/scan.txt")), "new scan\n");
    EXPECT_FALSE(FileExists(Journal()));
    EXPECT_FALSE(FileExists(Path("res/sub/scan.txt.tarnnew")));

    Restore();
    Stage();
    store.Abandon();
    EXPECT_TRUE(AsBefore());
    AppendLines(Path("res/day.txt"), {"row 2"});  // no transaction: written at once
    EXPECT_EQ(ReadFile(Path("res/day.txt")), "! head\nrow 1\nrow 2\n");
}

// A full disk from every byte of the commit on (journal included): the commit
// fails with the report and leaves every file as before; with room it succeeds.
TEST_F(FileTransactionTest, FullDiskAtEveryByteOfTheCommitLeavesTheFilesAsBefore) {
    Stage();
    ResetFileHooks();
    store.Commit();
    const long long needed = BytesWritten();
    ASSERT_GT(needed, 50);
    for (long long space = 0; space < needed; ++space) {
        Restore();
        Stage();
        SetDiskSpace(space);
        EXPECT_THROW(store.Commit(), RunTimeError) << space;
        SetDiskSpace(-1);
        ASSERT_TRUE(AsBefore()) << "disk full after " << space << " bytes";
    }
    Restore();
    Stage();
    SetDiskSpace(needed);
    store.Commit();
    EXPECT_EQ(ReadFile(Path("res/day.txt")), "! head\nrow 1\nrow 2\n");
}

// A kill before each file operation of the commit: the next run's recovery
// brings every file back as before; a replaced file is whole, old or new.
TEST_F(FileTransactionTest, KillAtEveryOperationOfTheCommitIsUndoneByTheNextRun) {
    Stage();
    ResetFileHooks();
    store.Commit();
    const long operations = FileOperations();
    ASSERT_GT(operations, 10);
    int undone = 0;
    for (long op = 1; op <= operations; ++op) {
        Restore();
        pid_t pid = fork();
        if (pid == 0) {
            Stage();
            SetKillPoint(op, kKilled);
            store.Commit();
            _exit(0);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_EQ(WEXITSTATUS(status), kKilled) << op;
        if (store.Recover(Journal(), "res") > 0) ++undone;
        std::string scan = ReadFile(Path("res/sub/scan.txt"));
        EXPECT_TRUE(scan == "old scan\n" || scan == "new scan\n") << op << ": " << scan;
        WriteFile(Path("res/sub/scan.txt"), "old scan\n");
        ASSERT_TRUE(AsBefore()) << "killed before operation " << op;
    }
    EXPECT_GT(undone, 0);
}

// The journal of `count` entries a commit writes: head, entries, end line.
std::string Summed(const std::string& entries, int count) {
    const std::string text = "tarnpelo journal 2\n" + entries;
    unsigned long long sum = 1469598103934665603ULL;  // FNV-1a, 64 bits
    for (unsigned char c : text) sum = (sum ^ c) * 1099511628211ULL;
    char end[40];
    snprintf(end, sizeof end, "E %d %016llx\n", count, sum);
    return text + end;
}

// A beginning of the journal (what a kill while it is written leaves) is removed
// untouched; the whole one is undone, also through a result tree that is a link.
TEST_F(FileTransactionTest, CutJournalIsRemovedWithoutUndoingAnything) {
    ASSERT_EQ(symlink(Path("res").c_str(), Path("lnk").c_str()), 0);
    const std::string journal = Summed("A 7 lnk/day.txt\nN lnk/sub/scan.txt\n", 2);
    for (size_t cut = 0; cut <= journal.size(); ++cut) {
        WriteFile(Journal(), journal.substr(0, cut));
        EXPECT_EQ(store.Recover(Journal(), "lnk"), cut == journal.size() ? 2 : 0);
        EXPECT_EQ(ReadFile(Path("res/day.txt")) + ReadFile(Path("res/sub/scan.txt")),
                  cut == journal.size() ? "! head\n" : "! head\nrow 1\nold scan\n");
    }
    EXPECT_EQ(store.Recover(Journal(), "res"), 0);  // none there
}

// Any other journal, and one leading through a link below the result tree, is
// refused naming it: it stays, nothing is undone, nothing outside is touched.
TEST_F(FileTransactionTest, BadJournalOrOneThroughALinkIsReportedAndLeftAsItIs) {
    WriteFile(Path("o.tarnnew"), "out\n");
    ASSERT_EQ(symlink(Path("o.tarnnew").c_str(), Path("res/vl.exa").c_str()), 0);
    ASSERT_EQ(symlink(Dir().c_str(), Path("res/ld").c_str()), 0);
    const std::string scan = "N res/sub/scan.txt\n", entry = " line 2: not a journal entry";
    const std::pair<std::string, std::string> rows[] = {
        {"\x8f\x02q\xe1 7\xff\n", ": not a journal"},
        {std::string(64, '\0'), ": not a journal"},
        {"tarnpelo journal 1\n" + scan, ": a journal of another version"},
        {Summed("X res/sub/scan.txt\n", 1), entry},
        {Summed("A 1x2 res/day.txt\n", 1), entry},
        {Summed(scan + "A 0 res/vl.exa\n", 2), ": names res/vl.exa: res/vl.exa is a link"},
        {Summed(scan + "N res/ld/o.tarnnew\n", 2), ": names res/ld/o.tarnnew: res/ld is a link"},
        {Summed(scan + "R res/ld/o\n", 2), ": names res/ld/o: res/ld is a link"},
    };
    for (const auto& [text, report] : rows) {
        WriteFile(Journal(), text);
        std::string got = "not refused; ";
        try {
            (void)store.Recover(Journal(), "res");
        } catch (const RunTimeError& e) {
            got = e.Report() + ReadFile(Journal());
        }
        EXPECT_EQ(got + ReadFile(Path("res/sub/scan.txt")) + ReadFile(Path("o.tarnnew")),
                  "run-time error: restore '" + Journal() + "'" + report + "; left as it is" +
                      text + "old scan\nout\n");
    }
}

// A journal written with a relative name of its directory is undone by a run
// that names the directory absolutely.  A journal naming a file outside the
// result tree of the recovering run is refused with the report naming it:
// nothing is touched and it stays.
TEST_F(FileTransactionTest, JournalNamesItsFilesInItsResultTreeOnly) {
    auto stage = [this](const std::string& res) {  // a run with a relative main path
        store.Begin("tarnpelo.jnl", {res});
        AppendLines(res + "day.txt", {"row 2"});
        CreateWithLines(res + "sub/scan.txt", {"new scan"});
    };
    stage("res/");
    ResetFileHooks();
    store.Commit();
    const long beforeRename = FileOperations() - 2;  // the replacement's renaming
    test::MakeDirs(Path("sub"));
    const char* const cases[][3] = {
        // root of the killed run, tree of the recovering run, refusal
        {"res/", "RES", ""},
        {"res/", "other", "names res/day.txt, outside the result tree other/; left as it is"},
        {"sub/../res/", "sub",
         "names sub/../res/day.txt, outside the result tree sub/; left as it is"},
    };
    for (const auto& c : cases) {
        Restore();
        pid_t pid = fork();
        if (pid == 0) {
            stage(c[0]);
            SetKillPoint(beforeRename, kKilled);
            store.Commit();
            _exit(0);
        }
        waitpid(pid, nullptr, 0);
        std::string journal = ReadFile(Journal()), report;
        try {
            EXPECT_EQ(store.Recover(Journal(), c[1]), 2);
        } catch (const RunTimeError& e) {
            report = e.Report();
        }
        bool refused = *c[2] != '\0';
        EXPECT_EQ(report, refused ? "run-time error: restore '" + Journal() + "': " + c[2] : "");
        EXPECT_EQ(ReadFile(Journal()), refused ? journal : "");
        EXPECT_EQ(ReadFile(Path("res/day.txt")),
                  refused ? "! head\nrow 1\nrow 2\n" : "! head\nrow 1\n");
    }
}

class RunLockTest : public test::TempDirTest {};

TEST_F(RunLockTest, SecondHolderWaitsAndSaysSoOnce) {
    std::string dir = Dir();
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t pid = fork();
    if (pid == 0) {
        LockRunDirectory(dir);
        (void)!write(ready[1], "x", 1);
        usleep(300000);
        _exit(0);
    }
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    std::ostringstream console;
    SetConsole(&console);
    auto start = std::chrono::steady_clock::now();
    LockRunDirectory(dir);
    LockRunDirectory(dir);  // held already: no second wait
    double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ReleaseRunDirectories();
    SetConsole(nullptr);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_GT(waited, 0.1);
    EXPECT_EQ(console.str(), "Waiting for the analysis running in " + dir + " to end\n");
}

}  // namespace
}  // namespace tarn
