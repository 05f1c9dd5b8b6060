// Replacing a file whole: the new content is written to a temporary file
// beside it, made durable and renamed over it, so the file is either the new
// whole content or untouched.
#pragma once

#include <string>

#include "platform/run_error.h"  // SystemError

namespace tarn {

// Creates an empty temporary file beside `path` ("PATH.XXXXXX"), mode 0600.
// Returns its descriptor and fills `tempPath`, or -1 with errno set.
int CreateTempBeside(const std::string& path, std::string& tempPath);

// Gives the finished temporary file `tempPath` the mode of the file `path` it
// replaces (0666 less the umask when there is none), flushes it to disk,
// renames it over `path` and flushes the directory.  Returns "" on success,
// else the reason (the temporary file is then removed).
std::string ReplaceWithTemp(const std::string& tempPath, const std::string& path);

}  // namespace tarn
