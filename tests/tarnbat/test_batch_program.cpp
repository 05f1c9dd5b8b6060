// The tarnbat program: a break mid-batch, exit codes and standard error.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "tests/tarnbat/batch_test.h"

extern char** environ;

namespace tarn {
namespace {

using test::FileExists;
using test::ReadFile;

class ProgramTest : public test::BatchTest {
  protected:
    // Starts tarnbat with `args` in the working directory, its standard output
    // and error going to "out.txt" and "err.txt".
    pid_t Start(std::vector<std::string> args) {
        args.insert(args.begin(), TARNBAT_EXE);
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "out.txt", O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, "err.txt", O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }
    // Waits for the program's end; its exit code, -1 when a signal ended it.
    static int Wait(pid_t pid) {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

class BreakTest : public ProgramTest, public testing::WithParamInterface<int> {};
INSTANTIATE_TEST_SUITE_P(Signals, BreakTest, testing::Values(SIGTERM, SIGINT));  // Break, Ctrl+C
TEST_P(BreakTest, BreakEndsTheChildAndStopsTheBatch) {
    test::WriteFile(Path("tarn_bat.bat"),
                    Probe() + " sleep child.pid\n" + Probe() + " args after.txt ran\n");
    auto start = std::chrono::steady_clock::now();
    pid_t pid = Start({"tarn_bat.bat"});
    for (int i = 0; i < 400 && ReadFile(Path("child.pid")).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    pid_t child = std::atoi(ReadFile(Path("child.pid")).c_str());
    ASSERT_GT(child, 0);
    kill(pid, GetParam());
    EXPECT_EQ(Wait(pid), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_EQ(kill(child, 0), -1);  // ended and reaped
    EXPECT_FALSE(FileExists(Path("after.txt")));
    EXPECT_EQ(ReadFile(Path("out.txt")),
              "> " + Probe() + " sleep child.pid\n< ended by signal 15\n");
    EXPECT_EQ(ReadFile(Path("err.txt")), "batch stopped: break\n");
}

// tarnbat's programs end with it; tarnbat stops as on a break when its parent
// (the shell) ends.  This process adopts the orphaned tarnbat.
TEST_F(ProgramTest, ProgramsEndWithTarnbatAndTarnbatWithItsParent) {
    test::WriteFile(Path("tarn_bat.bat"),
                    Probe() + " pdeathsig sig.txt\n" + Probe() + " sleep child.pid\n");
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    pid_t parent = fork();
    if (parent == 0) _exit(Wait(Start({"tarn_bat.bat"})));
    for (int i = 0; i < 400 && ReadFile(Path("child.pid")).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    kill(parent, SIGKILL);
    EXPECT_EQ(Wait(parent), -1);
    EXPECT_EQ(Wait(-1), 1);  // tarnbat
    prctl(PR_SET_CHILD_SUBREAPER, 0);
    EXPECT_EQ(ReadFile(Path("sig.txt")), "9\n");
    EXPECT_EQ(ReadFile(Path("err.txt")), "batch stopped: break\n");
}

TEST_F(ProgramTest, ExitCodesAndStandardError) {
    test::WriteFile(Path("ok.bat"), Probe() + " exit 5\n");
    EXPECT_EQ(Wait(Start({"OK.BAT"})), 0);
    EXPECT_EQ(ReadFile(Path("out.txt")), "> " + Probe() + " exit 5\n< exit status 5\n");
    EXPECT_EQ(ReadFile(Path("err.txt")), "");

    EXPECT_EQ(Wait(Start({"missing.bat"})), 2);
    EXPECT_EQ(ReadFile(Path("err.txt")),
              "run-time error: open for reading 'missing.bat': file not found or unreadable\n");
    EXPECT_EQ(Wait(Start({})), 2);
    EXPECT_EQ(ReadFile(Path("err.txt")), "usage: tarnbat BATCHFILE\n");

    // A program that cannot start, or a NUL byte or CR-only line end anywhere
    // (nothing runs).
    test::WriteFile(Path("start.bat"), "no-such-program-tarnbat\n" + Probe() + " args after.txt\n");
    EXPECT_EQ(Wait(Start({"start.bat"})), 1);
    EXPECT_EQ(ReadFile(Path("err.txt")),
              "batch stopped: cannot start no-such-program-tarnbat: No such file or directory\n");
    test::WriteFile(Path("nul.bat"), Probe() + " args after.txt\n" + std::string("del a\0b\n", 8));
    EXPECT_EQ(Wait(Start({"nul.bat"})), 2);
    EXPECT_EQ(ReadFile(Path("err.txt")),
              "run-time error: read 'nul.bat' line 2: a NUL byte in the line\n");
    test::WriteFile(Path("cr.bat"), "del x\r\n" + Probe() + " args after.txt\rdel y\r");
    EXPECT_EQ(Wait(Start({"cr.bat"})), 2);
    EXPECT_EQ(ReadFile(Path("err.txt")),
              "run-time error: read 'cr.bat' line 2: a carriage return inside the line\n");
    test::WriteFile(Path("stop.bat"), "pkzip only-one\n" + Probe() + " args after.txt ran\n");
    EXPECT_EQ(Wait(Start({"stop.bat"})), 1);
    EXPECT_EQ(ReadFile(Path("err.txt")),
              "batch stopped: pkzip: needs an archive and a file mask\n");
    EXPECT_FALSE(FileExists(Path("after.txt")));
}

}  // namespace
}  // namespace tarn
