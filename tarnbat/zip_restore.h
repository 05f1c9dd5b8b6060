// The restorer behind "pkunzip -d ARCHIVE DIRECTORY" lines, on libzip: the
// files of a day's archive that are missing on disk are written back, all of
// them or none.
//
// ARCHIVE (named by ArchiveFileName, batch_protocol.h; found without regard
// to case) is opened with libzip's consistency check.  Every entry name, as
// the archive's code page gives it and in its raw bytes, must be a plain
// relative path (no absolute path, no empty, "." or ".." component, no
// backslash or control character), and no two names may be one file to a
// lookup without regard to case; else the line fails before anything is
// written.  Each entry belongs under DIRECTORY with its path (-d), else under
// its name alone, when no entry of that name exists there (names found
// without regard to case, links counted as they stand); an existing file is
// never replaced.  DIRECTORY may be a link; below it no link is followed: an
// entry whose path leads through one fails the line.  The missing
// directories are made, the missing files' declared sizes must fit in the
// free space, and each file is written to a locked temporary in its
// directory (never beyond the entry's declared size), read back and compared
// with the entry's size and CRC.  Only when every file is written are they
// renamed into place.  A failure before that removes every temporary and the
// directories made; a kill leaves temporaries that the next restore removes.
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

// Restores the missing files of `request` (see above).  Raises RunTimeError,
// a refusal whose text is the reason, when the line fails: "cannot open
// archive A: R", "entry N of A is no plain relative path: NAME", "entries N
// and M of A name one file: NAME and NAME", "entry NAME of A would be written
// through the link L", "cannot make directory D: R", "cannot open directory
// D: R", "the missing files of A need N bytes, D has M free", "cannot read
// entry NAME of A: R", "entry NAME of A holds more than its declared N
// bytes", "cannot write F: R", "check of F failed: R".
UnpackResult RestoreFiles(const UnpackRequest& request);

}  // namespace tarn
