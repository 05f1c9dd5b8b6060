// Starting a program as a child process and waiting for it, and the break
// (SIGTERM or SIGHUP to this process, or SIGINT unless it was ignored at the
// start).  The POSIX branch lives in
// process_start_posix.cpp; a Windows branch would provide the same functions.
#pragma once

#include <string>
#include <vector>

namespace tarn {

// How a child ended.
struct ChildEnd {
    bool Signalled = false;
    int Code = 0;  // exit status, or the signal number when `Signalled`
};

// Installs the break handlers: a break sets the break flag and sends SIGTERM
// to the running child (a second break sends SIGKILL).  An ignored SIGINT
// stays ignored.  Call once at start.
void InstallBreakHandlers();

// True once a break arrived.
bool BreakRequested();

// Starts argv[0] with the arguments argv[1..] without a shell (a name with a
// separator is a path, a bare name is searched on PATH) and waits for its end.
// The child inherits the working directory, environment, standard output and
// error.  A break while it runs is forwarded to it, and the wait goes on.
// Raises RunTimeError, a refusal "cannot start NAME: REASON" (NAME is
// argv[0]), when the program cannot be started.
[[nodiscard]] ChildEnd RunChild(const std::vector<std::string>& argv);

}  // namespace tarn
