// Common ground of the harnesses of the windowed programs' readers: one
// offscreen application per process, recorded messages, paths of an input kept
// inside the work directory, the example day's files, and a chart drawn into
// an image.
#pragma once

#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/run_error.h"

namespace tarn::gui {
class Chart;
}

namespace tarn::fuzz {

// Makes the application object on first use: the offscreen platform, a home
// directory that does not exist (so the built-in default folders under it are
// never found) and recording dialogs in place of message boxes.
void StartGui();

// The start of an input: false (pass it over) above kMaxInputSize, else the
// application made (StartGui) and a fresh work directory entered.
bool StartGuiInput(size_t size);

// The input as text with its paths kept inside the work directory (ConfinePaths).
std::string ConfinedInput(const uint8_t* data, size_t size);

// Empties the messages recorded so far.  Aborts when one of them is the text
// of a library's exception (an index or a substring out of range, a bad
// conversion, an unknown error): those are faults the guard only hides.
void CheckReports();

// `text` with every path it could name kept inside the work directory: ".."
// becomes "._" and a "/" or "\" that begins a line (after blanks) becomes "_".
// Values read from an input then name only files below the work directory,
// whatever a reader builds from them.
std::string ConfinePaths(std::string text);

// The text of examples/day/<relative>; aborts when it cannot be read.
const std::string& ExampleText(const std::string& relative);

// Writes `text` to `relative` in the work directory, making its directory.
void WriteWorkFile(const std::string& relative, const std::string& text);

// The lines of the file `path` split at "\n" as stored, without the line
// ends; one line "<none>" when it cannot be read.
std::vector<std::string> StoredLines(const std::string& path);

// Aborts, naming `what` and the first line that differs, when `actual` is not
// `expected`.
void CheckLines(const std::vector<std::string>& expected, const std::vector<std::string>& actual,
                const char* what);

// Aborts, as CheckLines, unless `after` is `head` followed by the lines of
// `before` after its first head.size() lines: a writer of the head lines kept
// every later line.
void CheckHeadAndKeptLines(std::vector<std::string> head, const std::vector<std::string>& before,
                           const std::vector<std::string>& after, const char* what);

// Draws `chart` into a 320 x 200 image, as a window or an export draws it.
void RenderChart(const gui::Chart& chart);

// Runs `action`; a RunTimeError (the windowed programs' file, line-list and
// input errors, which their guard reports in one line) is the system's own
// end.  Anything else reaches the fuzzer.  True when `action` ran to its end.
template <class Action>
bool RunGuiReader(Action action) {
    try {
        action();
        return true;
    } catch (const RunTimeError&) {
        return false;
    }
}

}  // namespace tarn::fuzz
