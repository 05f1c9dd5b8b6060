// Replacing a file whole: the new content is written to a temporary file
// beside it, made durable and renamed over it, so the file is either the new
// whole content or untouched.  A temporary is held with an flock for as long
// as its descriptor is open, so that the temporaries a killed writer left can
// be told from those of a writer still at work.
#pragma once

#include <string>

#include "platform/run_error.h"  // SystemError, for the callers' reasons

namespace tarn {

// Creates an empty temporary file beside `path` ("PATH.XXXXXX"), mode 0600,
// locked.  Returns its descriptor and fills `tempPath`, or -1 with errno set.
[[nodiscard]] int CreateTempBeside(const std::string& path, std::string& tempPath);

// The same for a temporary directory "PATH.XXXXXX" (for a writer that makes
// temporaries of its own in it); the descriptor is the directory's.
[[nodiscard]] int CreateTempDirectoryBeside(const std::string& path, std::string& tempPath);

// Removes the temporaries beside `path` that no live writer holds: the files
// "PATH.XXXXXX", and the directories of that name with the files in them.
void RemoveStaleTemporaries(const std::string& path);

// Gives the finished temporary file `tempPath` the mode of the file `path` it
// replaces (0666 less the umask when there is none), flushes it to disk,
// renames it over `path` and flushes the directory.  With `replace` false an
// existing `path` is never replaced ("File exists").  False with errno set
// when it fails (the temporary file is then removed).
[[nodiscard]] bool ReplaceWithTemp(const std::string& tempPath, const std::string& path,
                                   bool replace = true);

}  // namespace tarn
