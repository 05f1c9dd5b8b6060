// Runs one command and reports its cost as one line on standard output:
//   <wall microseconds> <user CPU microseconds> <system CPU microseconds>
//   <peak resident set in KiB> <exit code>
// The command's standard output goes to /dev/null; its standard error is kept.
// The wall time spans fork to reaped exit, so it includes the program's start.
//   run_timed <program> [arguments...]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

namespace {

long long Microseconds(const timespec& t) {
    return static_cast<long long>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

long long Microseconds(const timeval& t) {
    return static_cast<long long>(t.tv_sec) * 1000000 + t.tv_usec;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: run_timed <program> [arguments...]\n");
        return 2;
    }
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t child = fork();
    if (child < 0) {
        std::perror("run_timed: fork");
        return 2;
    }
    if (child == 0) {
        int null = open("/dev/null", O_WRONLY);
        if (null >= 0) dup2(null, 1);
        execvp(argv[1], argv + 1);
        std::perror("run_timed: exec");
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) < 0) {
        std::perror("run_timed: wait4");
        return 2;
    }
    timespec end{};
    clock_gettime(CLOCK_MONOTONIC, &end);
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::printf("%lld %lld %lld %ld %d\n", Microseconds(end) - Microseconds(start),
                Microseconds(usage.ru_utime), Microseconds(usage.ru_stime), usage.ru_maxrss, code);
    return 0;
}
