// The archiver behind "pkzip ARCHIVE FILES -rp" lines, on libzip.
//
// FILES is a directory and a file pattern ("uvanalys/exa/173*.*"); -r walks its
// subdirectories too (links followed, each directory once), matching the
// pattern against the file names in each as a del line does (file_commands.h);
// -p stores each file under its path relative to that directory
// ("shift/1730500W.exa"), else under its name alone; a temporary of ours
// (platform/file_replace.h) is never packed.  ARCHIVE is named by
// ArchiveFileName (batch_protocol.h).  An existing archive keeps its other
// entries and gets the files added or replaced.  The new archive is built in
// memory (libzip makes no file of its own), written to a locked temporary
// beside the archive, reopened there with libzip's consistency check,
// compared with the files packed (names and sizes, every entry read back) and
// only then renamed over the archive: the archive is whole and checked, or as
// it was.  The temporaries that a killed writer left in the archive's
// directory are removed first.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tarn {

struct PackRequest {
    std::string Archive;  // the archive's name as written in the line
    std::string Files;    // directory and pattern
    bool Recurse = false;
    bool KeepPaths = false;
};

struct PackResult {
    std::string Archive;  // the archive's path, with ".zip" added where it had no extension
    size_t Packed = 0;    // number of files packed (0: nothing matched, archive left as it was)
};

// Reads the arguments that follow "pkzip": options ("-r", "-p", "-rp"), the
// archive and the file mask, in any order.  Raises RunTimeError, a refusal
// "unknown option O" or "needs an archive and a file mask".
[[nodiscard]] PackRequest ParsePackArguments(const std::vector<std::string>& args);

// Packs the files of `request` into its archive (see above).  Raises
// RunTimeError, a refusal whose text is the reason, when the line fails:
// "cannot open directory D: R", "cannot read F: R", "two files would be
// stored as N", "cannot open archive A: R", "cannot write archive A: R",
// "check of archive A failed: R".
PackResult PackFiles(const PackRequest& request);

}  // namespace tarn
