// Shift result files, window statistics and the correction of the measured
// wavelength scale.
#pragma once

namespace tarn {

struct IntervalShiftStats {
    double MeanShift;  // nm
    double SdShift;    // nm
    int WindowsUsed;
    double MeanErrorRatio;
    double SdErrorRatio;
};

// Clears what the unit keeps between calls (the main flow, at the start of every run).
void ResetShiftResults();

// Writes the scan's shift table and appends its row to the day's shift file.
void WriteShiftResults();

// Corrects MeasuredWavelengths in place (rounded to 0.01 nm) and lists the
// applied shift per point in the applied-shift file.
void Shift_correction();

// Shift (nm) at a wavelength (nm), interpolated between valid window centres.
double ShiftAtWavelength(double wavelength);

// Mean and deviation of shift and error ratio over the valid windows whose
// centre lies in intervalStart..intervalEnd (nm).
IntervalShiftStats ShiftWindowStatistics(double intervalStart, double intervalEnd);

}  // namespace tarn
