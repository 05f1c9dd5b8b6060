// Values that the two halves of the QC report share: the daily quality table
// computes them, the quality flags grade them.
#pragma once

#include <string>

#include "engine/program_state.h"
#include "engine/shift_results.h"
#include "platform/text_file.h"

namespace tarn {

struct QcReportState {
    int CriteriaCount;                    // k, within 1..5
    int StartCriterion;                   // S, within 1..k
    IntervalShiftStats Interval[3];       // QC intervals [1..2]
    double ShapeScore[kMaxCriteria + 1];  // percent, [1..k]; 999.999 when no pair counted
    double StartWavelength;               // nm, at the start criterion's start index
    double ScanHour;                      // hh + mm / 60
    double OzoneIndication;               // DU
};

extern QcReportState QcReport;

// First half of the QC report: console shift lines, main-log group and the
// day's quality-table row.
void WriteDailyQualityTable();

// Second half: colour flags, the day's flag file and the per-colour lists.
void WriteQualityFlags();

// Clears the flags of the second half.
void ResetQualityFlags();

// Writes the header line naming QC interval `interval` (1 or 2, nm) under `label`.
void WriteIntervalLine(TextOut& out, const char* label, int interval);

// 100 x sd / mean, the relative deviation in percent; 999.99 for a mean of 0
// or one without a usable quotient.
double PercentDeviation(double sd, double mean);

// Measured wavelength (nm) at a 1-based point index kept within the arrays.
double MeasuredWavelengthAtIndex(long index);

}  // namespace tarn
