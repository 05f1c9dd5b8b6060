// File-system helpers: the path separator, directory creation, the working
// directory and case-insensitive lookup of existing files.
#pragma once

#include <string>

namespace tarn {

// The separator appended to directory names.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif
constexpr const char kPathSeparatorText[] = {kPathSeparator, '\0'};

// True where the file system tells names apart by the case of their letters.
#ifdef _WIN32
constexpr bool kNamesTellCaseApart = false;
#else
constexpr bool kNamesTellCaseApart = true;
#endif

// Appends the separator when the path is longer than one character and does
// not end in it (a lone separator or a one-letter path is left as it is).
std::string WithTrailingSeparator(const std::string& path);

// The current working directory, without a trailing separator.
std::string WorkingDirectory();

// Creates one directory; an error (existing directory, missing parent, full
// disk) is not raised but kept for MissingDirectoryText.
void MakeDirectory(const std::string& path);

// Why the directory that would hold the file `path` is missing: the error of
// this process's last failed MakeDirectory of it (or of its parent, when that
// was why), else the text of "No such file or directory".
std::string MissingDirectoryText(const std::string& path);

// True when `a` and `b` are the same name without regard to the case of letters.
bool SameIgnoringCase(const std::string& a, const std::string& b);

// Returns the name of an existing file that matches `path` without regard to
// the case of its letters (exact match first, then each component from the
// left).  Returns `path` unchanged when no such file or directory exists.
std::string ResolveCase(const std::string& path);

// True when `path` is a plain relative path: one or more components, none of
// them empty, "." or "..", and no backslash or control character.
bool IsPlainRelativePath(const std::string& path);

// True when `path` names a regular file that can be opened for reading.
bool IsReadableFile(const std::string& path);

}  // namespace tarn
