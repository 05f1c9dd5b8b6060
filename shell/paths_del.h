// Directory texts of the shell.
#pragma once

#include <string>

namespace tarn::tarncall {

// `path` with the path separator appended when its last character is not
// one.  Letters keep their case (file names are case-sensitive on this
// platform); an empty path stays empty, the working directory.
std::string NormalizeDirectory(const std::string& path);

}  // namespace tarn::tarncall
