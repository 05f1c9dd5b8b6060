// Small forms shared by the readers and writers of the settings files: value
// lines in the default real notation, switch lines and positioning on a line
// number.  A directory line gets the path separator by AsDirectory
// (platform/paths.h).
#pragma once

#include <initializer_list>
#include <string>

namespace tarn {

class TextIn;

// Reals in the default real notation, separated by one blank.
std::string Reals(std::initializer_list<double> values);
// The same for the file `file`: a real that is not finite is the run-time
// error naming it.
std::string Reals(std::initializer_list<double> values, const std::string& file);

// Integers without padding, separated by one blank.
std::string Ints(std::initializer_list<long long> values);

// A switch line as written: "true" or "false".
std::string SwitchText(bool on);

// A switch line is on when it contains "true" (case-sensitive).
bool IsSwitchOn(const std::string& line);

// Moves `in` to the start of 1-based line `line` when it stands before it;
// a reader already on or past that line stays where it is.
void SkipToLine(TextIn& in, int line);

}  // namespace tarn
