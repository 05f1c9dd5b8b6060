// Replacing a file whole: the new content is written to a temporary file
// beside it, made durable and renamed over it, so the file is either the new
// whole content or untouched.
//
// Every temporary is a regular file named ".tarn-tmp." and six letters or
// digits, in the directory of the file it stands for: a name no operator's
// file has, which no day mask ("173*.*") takes.  It is held with an flock for
// as long as its descriptor is open, so that the temporaries a killed writer
// left can be told from those of a writer still at work.
#pragma once

#include <sys/types.h>

#include <string>

#include "platform/run_error.h"  // SystemError, for the callers' reasons

namespace tarn {

// True when the name `name` (without directory) is one of our temporaries.
bool IsTempName(const std::string& name);

// Creates an empty temporary file in the directory open as `directoryFd`,
// mode 0600, locked.  Returns its descriptor and fills `tempName` (without
// directory), or -1 with errno set.
[[nodiscard]] int CreateTempIn(int directoryFd, std::string& tempName);

// The same in the directory of the file `path`; `tempPath` is the
// temporary's path.
[[nodiscard]] int CreateTempBeside(const std::string& path, std::string& tempPath);

// Removes the temporaries in the directory open as `directoryFd` that no live
// writer holds: regular files only, links never followed.
void RemoveStaleTemporariesIn(int directoryFd);

// The same in the directory of the file `path`.
void RemoveStaleTemporaries(const std::string& path);

// Gives the written temporary `fd` the mode of a new file (0666 less the
// umask) and flushes it to disk.  False with errno set when it cannot.
[[nodiscard]] bool FinishNewTemp(int fd);

// Renames the finished temporary `tempName` to `name`, both in the directory
// open as `directoryFd`, only when no entry of that name exists ("File
// exists"), and flushes the directory.  False with errno set when it fails.
[[nodiscard]] bool PlaceTempIn(int directoryFd, const std::string& tempName,
                               const std::string& name);

// Gives the finished temporary file `tempPath` the mode of the file `path` it
// replaces (0666 less the umask when there is none), flushes it to disk,
// renames it over `path` and flushes the directory.  False with errno set
// when it fails (the temporary file is then removed).
[[nodiscard]] bool ReplaceWithTemp(const std::string& tempPath, const std::string& path);

}  // namespace tarn
