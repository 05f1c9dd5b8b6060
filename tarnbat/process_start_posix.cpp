// Process start and break handling with POSIX calls.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/run_error.h"
#include "tarnbat/process_start.h"

namespace tarn {

namespace {

volatile sig_atomic_t g_breaks = 0;  // breaks received, counted up to 2
volatile sig_atomic_t g_child = 0;   // pid of the running child, 0 when none

void SignalChild(pid_t child) {
    if (child > 0) kill(child, g_breaks > 1 ? SIGKILL : SIGTERM);
}

void OnBreak(int) {
    int saved = errno;
    if (g_breaks < 2) g_breaks = g_breaks + 1;
    SignalChild(g_child);
    errno = saved;
}

// Has the calling process sent `sig` when the process `parent` ends (also
// when it ended already).
void EndWithParent(pid_t parent, int sig) {
    (void)prctl(PR_SET_PDEATHSIG, sig);
    if (getppid() != parent) raise(sig);
}

// In the child after vfork (plain system calls only): ends with its parent,
// then runs the program.  Reports a failed exec's errno through `report`
// (closed by a successful exec).
[[noreturn]] void ExecChild(pid_t parent, char** argv, int report) {
    (void)prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    execvp(argv[0], argv);
    int error = errno;
    ssize_t ignored = write(report, &error, sizeof error);
    (void)ignored;
    _exit(127);
}

[[noreturn]] void CannotStart(const std::string& name, int error) {
    throw RunTimeError::Refusal("cannot start " + name + ": " + std::strerror(error));
}

}  // namespace

void InstallBreakHandlers() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnBreak;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    const int breaks[] = {SIGINT, SIGTERM, SIGHUP};
    for (int sig : breaks) sigaddset(&action.sa_mask, sig);
    for (int sig : breaks) {
        // SIGINT ignored at the start (a program started in the background,
        // or by the shell, which ignores Ctrl+C) stays ignored, and so it is
        // for the programs of the batch.
        struct sigaction before;
        if (sig == SIGINT && sigaction(sig, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue;
        sigaction(sig, &action, nullptr);
    }
    // The end of the parent (the shell) is a break.
    EndWithParent(getppid(), SIGHUP);
}

bool BreakRequested() {
    return g_breaks > 0;
}

ChildEnd RunChild(const std::vector<std::string>& argv) {
    std::vector<std::string> copy(argv);
    std::vector<char*> pointers;
    for (std::string& arg : copy) pointers.push_back(arg.data());
    pointers.push_back(nullptr);

    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) CannotStart(argv[0], errno);
    // vfork, as posix_spawn does: a copy of this process's page tables would
    // cost more than a short program's whole run.
    pid_t parent = getpid();
    pid_t pid = vfork();
    if (pid == 0) ExecChild(parent, pointers.data(), report[1]);
    int forkError = errno;
    close(report[1]);
    int execError = 0;
    ssize_t got = 0;
    if (pid > 0) {
        while ((got = read(report[0], &execError, sizeof execError)) < 0 && errno == EINTR) {
        }
    }
    close(report[0]);
    if (pid < 0 || got > 0) {
        if (pid > 0) {
            while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
        CannotStart(argv[0], pid < 0 ? forkError : execError);
    }
    g_child = pid;
    // A break that came while the child was being created has not reached it.
    if (g_breaks > 0) SignalChild(pid);

    // Wait without reaping first: while the child is unreaped its pid cannot be
    // reused, so a late break never reaches another process.
    siginfo_t info;
    while (waitid(P_PID, pid, &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
    g_child = 0;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ChildEnd end;
    end.Signalled = WIFSIGNALED(status);
    end.Code = end.Signalled ? WTERMSIG(status) : WEXITSTATUS(status);
    return end;
}

}  // namespace tarn
