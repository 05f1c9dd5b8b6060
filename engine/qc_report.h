// QC report: the daily quality table, quality flags and flag classes.
#pragma once

namespace tarn {

// Clears the report's state and the scan's flags as at program start (the
// main flow, at the start of every run).
void ResetQcReport();

// Console shift lines, the main-log group, the day's quality-table row, the
// colour flags, the day's flag file and the per-colour lists.
void QC_report();

}  // namespace tarn
