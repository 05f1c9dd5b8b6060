#include "engine/qc_report.h"

#include <algorithm>

#include "engine/engine_state.h"
#include "engine/qc_report_state.h"
#include "engine/usable_ratio.h"

namespace tarn {

QcReportState QcReport;

double PercentDeviation(double sd, double mean) {
    // A ratio mean of 0 (every reading of the interval 0), or one too small
    // to divide by, has no relative deviation; 999.99 fills the 6:2 field as
    // the largest value it holds.
    return UsableRatio(100.0 * sd, mean).value_or(999.99);
}

double MeasuredWavelengthAtIndex(long index) {
    return Spectra
        .MeasuredWavelengths[std::clamp(index, 1L, static_cast<long>(kMaxMeasuredPoints))];
}

void ResetQcReport() {
    QcReport = QcReportState{};
    ResetQualityFlags();
}

void QC_report() {
    WriteDailyQualityTable();
    WriteQualityFlags();
}

}  // namespace tarn
