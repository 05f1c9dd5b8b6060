// The restorer behind "pkunzip -d ARCHIVE DIRECTORY" lines, on libzip: the
// files of a day's archive that are missing on disk are written back.
//
// ARCHIVE (".zip" added when its name has no extension, found without regard
// to case) is opened with libzip's consistency check.  Every entry name must
// be a plain relative path (no absolute path, no empty, "." or ".." component,
// no backslash or control character), else the line fails before anything is
// written.  Each entry is then written under DIRECTORY with its path (-d),
// else under its name alone, when no file of that name exists there (names
// found without regard to case); an existing file is never replaced.
// DIRECTORY and the subdirectories are made as needed.  A file is written
// whole: to a locked temporary beside it, read back and compared with the
// entry's size and CRC, and renamed into place.  The temporaries that a killed
// restore left beside a file are removed before that file is written.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tarn {

struct UnpackRequest {
    std::string Archive;    // the archive's name as written in the line
    std::string Directory;  // where the files go
    bool KeepPaths = false;
};

struct UnpackResult {
    std::string Archive;  // the archive's path, as found
    size_t Restored = 0;  // files written
};

// Reads the arguments that follow "pkunzip": the option "-d", the archive and
// the directory, in any order.  Raises RunTimeError, a refusal "unknown option
// O" or "needs an archive and a directory".
[[nodiscard]] UnpackRequest ParseUnpackArguments(const std::vector<std::string>& args);

// Restores the missing files of `request` (see above); the files written
// before a failure stay, each whole.  Raises RunTimeError, a refusal whose
// text is the reason, when the line fails: "cannot open archive A: R",
// "entry N of A is no plain relative path: NAME", "cannot make directory D:
// R", "cannot read entry NAME of A: R", "cannot write F: R", "check of F
// failed: R".
UnpackResult RestoreFiles(const UnpackRequest& request);

}  // namespace tarn
