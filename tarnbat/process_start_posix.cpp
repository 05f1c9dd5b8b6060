// Process start and break handling with POSIX calls.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>

#include "tarnbat/process_start.h"

extern char** environ;

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

}  // namespace

void InstallBreakHandlers() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnBreak;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    const int breaks[] = {SIGINT, SIGTERM, SIGHUP};
    for (int sig : breaks) sigaddset(&action.sa_mask, sig);
    for (int sig : breaks) sigaction(sig, &action, nullptr);
}

bool BreakRequested() {
    return g_breaks > 0;
}

ChildEnd RunChild(const std::vector<std::string>& argv) {
    ChildEnd end;
    std::vector<std::string> copy(argv);
    std::vector<char*> pointers;
    for (std::string& arg : copy) pointers.push_back(arg.data());
    pointers.push_back(nullptr);

    pid_t pid = 0;
    int failed = posix_spawnp(&pid, pointers[0], nullptr, nullptr, pointers.data(), environ);
    if (failed != 0) {
        end.error = std::strerror(failed);
        return end;
    }
    end.started = true;
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
    end.signalled = WIFSIGNALED(status);
    end.code = end.signalled ? WTERMSIG(status) : WEXITSTATUS(status);
    return end;
}

}  // namespace tarn
