#include "engine/structure_check.h"

#include "engine/program_state.h"

namespace tarn {

void CheckStructure() {
    for (int j = 1; j <= kMaxCriteria; ++j) QcOut.StartIndex[j] = Scan.PointCount;
    QcOut.RatioMean1 = QcOut.RatioSd1 = QcOut.RatioMean2 = QcOut.RatioSd2 = -999.999;
    QcOut.RatioMeanAll = QcOut.RatioSdAll = -999.999;
}

}  // namespace tarn
