// One run at a time per directory: an advisory lock of the operating system
// on the directory itself, so that no lock file is left to clean up.
//
// A run takes the working directory's lock before it touches its logs and the
// main path's lock as soon as it knows the main path (always in this order);
// the system drops the locks when the process ends, however it ends.
#pragma once

#include <string>

namespace tarn {

// Takes the exclusive lock of `directory` ("" or "." for the working
// directory).  When another process holds it, says once on the console that
// the run waits, then waits until it is free.  A directory this process holds
// already, or one that cannot be opened, is passed over.
void LockRunDirectory(const std::string& directory);

// Gives back every lock taken by LockRunDirectory.
void ReleaseRunDirectories();

}  // namespace tarn
