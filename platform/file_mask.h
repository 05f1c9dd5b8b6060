// File masks as the operator types them: a directory and a file pattern with
// "*" (any run of characters) and "?" (any one character), matched without
// regard to case unless a caller asks for letter-for-letter matching.  "*.*"
// matches every name, with or without a dot.
#pragma once

#include <string>
#include <vector>

namespace tarn {

// How the letters of a name are compared with a pattern's.
enum class NameCase { Ignore, Exact };

// True when `name` (without directory) matches `pattern`.
bool MatchesMask(const std::string& name, const std::string& pattern,
                 NameCase letters = NameCase::Ignore);

// Splits a mask "dir/pattern" at its last separator: the directory keeps its
// separator ("" for a bare pattern, the working directory).
void SplitMask(const std::string& mask, std::string& directory, std::string& pattern);

// Names (without directory) of the regular files in `directory` ("" is the
// working directory) that match `pattern`, sorted without regard to case (and
// by their bytes where that ties).  A missing directory lists nothing.
std::vector<std::string> ListFilesByMask(const std::string& directory, const std::string& pattern,
                                         NameCase letters = NameCase::Ignore);

// The same for a whole mask "dir/pattern".
std::vector<std::string> ListFilesByMask(const std::string& mask);

}  // namespace tarn
