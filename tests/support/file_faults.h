// A full disk and a killed process for the tests: the file layer's calls
// (platform/file_calls.h) counted, cut and stopped.  Linking this library
// installs its calls at program start; they behave as the system's until a
// test sets a limit or a kill point.
#pragma once

namespace tarn {

// Lets writes put at most `bytes` more bytes on disk: the write that reaches
// the limit is cut there, and every later write fails with ENOSPC (a full
// disk); so does a directory creation once no byte is left.  A negative value
// removes the limit.
void SetDiskSpace(long long bytes);

// Ends the process with _exit(`code`) just before its `operation`-th file
// operation counted from now (as a kill would); 0 turns the kill point off.
void SetKillPoint(long operation, int code);

// File operations and bytes written since the process started or the last
// ResetFileHooks; ResetFileHooks also removes the limit and the kill point.
long FileOperations();
long long BytesWritten();
void ResetFileHooks();

}  // namespace tarn
