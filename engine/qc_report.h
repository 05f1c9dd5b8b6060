// QC report: the daily quality table, quality flags and flag classes.
#pragma once

namespace tarn {

// Console shift lines, the main-log group, the day's quality-table row, the
// colour flags, the day's flag file and the per-colour lists.
void QC_report();

}  // namespace tarn
