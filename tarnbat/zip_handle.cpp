#include "tarnbat/zip_handle.h"

#include "platform/run_error.h"

namespace tarn {

ZipArchive OpenZip(const std::string& path, int flags, const std::string& failure) {
    int code = 0;
    ZipArchive archive(zip_open(path.c_str(), flags, &code));
    if (archive == nullptr) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const std::string reason = zip_error_strerror(&error);
        zip_error_fini(&error);
        throw RunTimeError::Refusal(failure + reason);
    }
    return archive;
}

}  // namespace tarn
