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

// A journal cut while it was written (no valid end line) belongs to a commit
// that had not begun to write: it is removed and nothing else is touched.
TEST_F(FileTransactionTest, CutJournalIsRemovedWithoutUndoingAnything) {
    std::string path = Path("res/day.txt");
    WriteFile(Journal(), "tarnpelo journal 1\nA 3 " + path + "\nE 1 0000000000000000\n");
    EXPECT_EQ(store.Recover(Journal(), "res"), 0);
    WriteFile(Journal(), "tarnpelo journal 1\nA 3 " + path);
    EXPECT_EQ(store.Recover(Journal(), "res"), 0);
    EXPECT_TRUE(AsBefore());
    EXPECT_EQ(store.Recover(Journal(), "res"), 0);  // none there
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
