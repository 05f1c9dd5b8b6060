// One run at a time per directory: an advisory lock of the operating system
// on the directory itself, so that no lock file is left to clean up.
//
// A run takes the working directory's lock before it touches its logs and the
// main path's lock as soon as it knows the main path (always in this order);
// the system drops the locks when the process ends, however it ends.  The
// shell, whose runs start engines in its working directory, locks a file of
// its own there instead (TryLockFile).
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

// Takes the exclusive advisory lock of the file `path` without waiting (for
// the windowed programs, which must not take the directory lock the engine
// waits for).  The file is made empty when missing and left in place, so
// that every holder locks the same file.  Not taken when another open of the
// file holds it; the handle then is -1.  A file that cannot be made, or a
// file system without locks, is passed over (taken, handle -1).  The lock holds
// until UnlockFile(Handle) or the end of the process; programs started
// meanwhile do not inherit it.
struct FileLock {
    bool Taken = true;  // false when another open of the file holds it
    int Handle = -1;
};
[[nodiscard]] FileLock TryLockFile(const std::string& path);

// Gives back a lock of TryLockFile (a handle of -1 is nothing) and sets
// `handle` to -1.
void UnlockFile(int& handle);

}  // namespace tarn
