// Wavelength-shift determination of the measured scan against the simulated
// (clear-sky model) spectrum over one wavelength window.
#pragma once

#include <string>

namespace tarn {

// Step sizes of the shift scan, coarse to fine ([1..7]), and the number in use.
// Steps[LevelCount] is also the step of the fine grid of the simulated spectrum.
struct ShiftStepTable {
    int LevelCount;
    double Steps[8];
};

extern ShiftStepTable StepTable;

// Clears the unit's state and the step table as at program start (the main
// flow, at the start of every run).
void ResetShiftUnit();

// The shift determination of one window.
struct ShiftResult {
    double Shift, Uncertainty;  // nm
    double ErrorRatio;
    std::string Status;  // "! ..." with "NOT_SIGNIFICANT" when the fit is not trusted
};

// Determines the shift of the window windowStart..windowEnd (nm).  Reads
// lines 1-6 of <firstDirectory><settingsFile>; with the Log_shift switch
// writes the report <secondDirectory>shift.shi, the curve file and the
// shift-log blocks.
ShiftResult DetermineShift(const std::string& firstDirectory, const std::string& secondDirectory,
                           const std::string& settingsFile, double windowStart, double windowEnd);

}  // namespace tarn
