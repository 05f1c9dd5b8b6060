#include "engine/qc_report.h"

namespace tarn {

void QC_report() {}

}  // namespace tarn
