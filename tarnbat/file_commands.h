// The file lines of a batch ("del" and "copy") and the helpers that the
// archiver shares with them (a file is replaced whole through
// platform/file_replace.h).  Directories, and the files of copy lines, are
// found without regard to case.
#pragma once

#include <string>
#include <vector>

#include "platform/file_mask.h"
#include "platform/file_replace.h"
#include "platform/paths.h"
#include "tarnbat/batch_protocol.h"

namespace tarn {

// Deletes the regular files that `pattern` takes (a path whose last component
// may hold "*" and "?"; "*.*" matches every name).  Directories are never
// removed; nothing matched is no error.  Returns one text per file that could
// not be deleted: "PATH: REASON".
[[nodiscard]] std::vector<std::string> DeleteByPattern(const std::string& pattern);

// Copies the file `source` to `target` (into it, under the source's name, when
// `target` is a directory).  The copy is written beside the target and renamed
// over it, so the target is either the whole copy or untouched.  Raises
// RunTimeError (a refusal whose text is the reason) when it cannot.
void CopyOneFile(const std::string& source, const std::string& target);

// `path` with its directory, and its name where such a file exists, found
// without regard to case.
std::string ResolveTarget(const std::string& path);

// Copies the whole content of `source` into the open descriptor `fd`.
// Returns false, with errno set, when `source` cannot be opened or read or
// `fd` refuses a write.
[[nodiscard]] bool CopyInto(const std::string& source, int fd);

}  // namespace tarn
