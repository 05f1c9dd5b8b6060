// The engine's run: start-up, command line, defaults and instrument files, the
// result tree, the reading of the scan, the stages in their fixed order and the
// end with the elapsed time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

// Runs the engine on the command-line arguments (without the program name)
// and returns the exit code: 0 normal end (also a missing or out-of-range
// scan), 1 a halt, 2 the run-time error report (printed on standard error).
int RunTarnpelo(const std::vector<std::string>& args);

// Sets MeasurementFileCode (MMDDhhmmYYYY) from the scan name and the year.
void DayNumberToFileCode();

// Square of the ratio of the mean to the actual Earth-Sun distance on day of
// the year `day` (Spencer's series).
double EarthSunDistanceFactor(uint16_t day);

// Cuts the window count to the windows whose upper bound lies at or below
// RangeEnd (at least 1).
void ClipWindows();

// Reads the option word into the run switches (no_sh_cor, <x>no_fit, spike_cor).
void ApplyOptionWord(const std::string& word);

}  // namespace tarn
