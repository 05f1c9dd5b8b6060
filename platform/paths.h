// File-system helpers, each rule in one place: the path separator and how a
// directory name gets it, directory creation, the working directory, what a
// name names on disk, and names compared without regard to the case of their
// letters (the lookup of existing files among them).
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

// `path` as a directory name: with the separator appended when it does not
// end in one; an empty path stays empty (the working directory).
std::string AsDirectory(const std::string& path);

// As AsDirectory, but a path of one character stands as it is: the rule for
// the directory of the engine's logs.
std::string WithTrailingSeparator(const std::string& path);

// The name `name` in the directory `directory` (a separator put between
// them when the directory lacks one; "" is the working directory: the name
// alone).
std::string JoinPath(const std::string& directory, const std::string& name);

// The current working directory, without a trailing separator.
std::string WorkingDirectory();

// Creates one directory; an error (existing directory, missing parent, full
// disk) is not raised but kept for MissingDirectoryText.
void MakeDirectory(const std::string& path);

// Why the directory that would hold the file `path` is missing: the error of
// this process's last failed MakeDirectory of it (or of its parent, when that
// was why), else the text of "No such file or directory".
std::string MissingDirectoryText(const std::string& path);

// A letter without regard to its case: the byte's lower-case form
// (std::tolower).
char FoldedCase(char c);

// True when `a` and `b` are the same name without regard to the case of letters.
bool SameIgnoringCase(const std::string& a, const std::string& b);

// True when `text` ends in `ending` without regard to the case of letters.
bool EndsWithIgnoringCase(const std::string& text, const std::string& ending);

// Returns the name of an existing file that matches `path` without regard to
// the case of its letters (exact match first, then each component from the
// left).  Returns `path` unchanged when no such file or directory exists.
std::string ResolveCase(const std::string& path);

// True when `path` is a plain relative path: one or more components, none of
// them empty, "." or "..", and no backslash or control character.
bool IsPlainRelativePath(const std::string& path);

// What a name names on disk, found without regard to the case of its letters
// (the exact name first); "" names nothing.  A symbolic link is followed.
enum class EntryKind { None, File, Directory, Other };
EntryKind KindOfEntry(const std::string& path);

// True when `path` names anything that exists (a file, a directory, a pipe),
// a regular file, or a directory, as KindOfEntry finds it.
bool EntryExists(const std::string& path);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// True when `path` names a regular file, as KindOfEntry finds it, that can be
// opened for reading.
bool IsReadableFile(const std::string& path);

// Why `path`, which IsReadableFile refused, cannot be read: "" when nothing
// of that name exists (as KindOfEntry finds it); the system's reason when it
// cannot look the name up (too long, a directory it may not search); else
// "not a readable file" (a directory, a pipe, no right to read).
std::string UnreadableReason(const std::string& path);

}  // namespace tarn
