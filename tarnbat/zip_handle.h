// What the archiver and the restorer share of libzip: an open archive that is
// discarded (closed without writing) when its owner lets it go, an open entry
// that is closed likewise, and the open that raises the line's reason.
#pragma once

#include <zip.h>

#include <memory>
#include <string>

namespace tarn {

struct ZipDiscard {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipArchive = std::unique_ptr<zip_t, ZipDiscard>;

struct ZipEntryClose {
    void operator()(zip_file_t* entry) const { zip_fclose(entry); }
};
using ZipEntry = std::unique_ptr<zip_file_t, ZipEntryClose>;

// Opens the archive file `path` with libzip's `flags` (ZIP_CHECKCONS, ...).
// Raises RunTimeError, a refusal "FAILURE" followed by libzip's reason
// ("Not a zip archive"), when it cannot.
ZipArchive OpenZip(const std::string& path, int flags, const std::string& failure);

}  // namespace tarn
