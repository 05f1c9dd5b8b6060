// A scan as the stages leave it for the QC report: shift windows, structure
// results, ratios, effective-UV fractions, irradiances and spike counts.
// Every flag of this scan is GREEN.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "engine/engine_state.h"
#include "engine/program_state.h"
#include "tests/support/test_support.h"

namespace tarn::test {

class QcScanTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        MakeDirs(Path("exa/qaqc/flagstat"));
        CommandLine.ScanName = "1731230";
        CommandLine.IdMet = "exa";
        Analysis.MeasurementYear = "2004";
        Scan.SolarZenithAngle = 45.0;
        Flow.GivenOzone = 0.09;  // 333 DU
        Instrument.RangeEnd = 400.0;
        for (int i = 1; i <= 221; ++i) Spectra.MeasuredWavelengths[i] = 290.0 + 0.5 * (i - 1);
        SetWindows();
        SetStructure();
        QcOut.RatioMean1 = 0.8;
        QcOut.RatioSd1 = 0.04;  // 5 %
        QcOut.RatioMean2 = 0.9;
        QcOut.RatioSd2 = 0.036;  // 4 %
        QcOut.RatioMeanAll = 0.85;
        QcOut.RatioSdAll = 0.0425;  // 5 %
        QcOut.EfuvBelowStart = 0.012;
        QcOut.EfuvAboveLast = 0.001;
        QcOut.StartIrradiance = 0.0002;
        QcOut.MaxIrradianceBelowStart = 0.0001;
        QcOut.DetectedAboveLevel1 = 3;
        QcOut.IrradianceLevel = "NOT_EXTREME";
        QcOut.MedianIrradianceAtReference = 0.00123;
    }

    // Interval 1 (300-325 nm): five valid windows, shifts 0.03..0.07 nm (mean
    // 0.05, SD 0.0158), error ratios 0.02/0.03 (mean 0.024, SD 0.00548).
    // Interval 2 (325-400 nm): five valid windows, shifts -0.06..-0.10 (mean
    // -0.08, SD 0.0158), error ratio 0.04 each; then one NOT_SIGNIFICANT window
    // and one above both the error-ratio and SD thresholds.
    void SetWindows() {
        Windows.Count = 12;
        Windows.ErThreshold = 0.06;
        Analysis.SdShiftThreshold = 0.02;
        const double centre[] = {302, 304, 306, 308, 310, 338, 348, 358, 368, 378, 388, 396};
        const double shift[] = {0.03,  0.04,  0.05,  0.06,  0.07, -0.06,
                                -0.07, -0.08, -0.09, -0.10, 0.5,  0.5};
        const double ratio[] = {0.02, 0.03, 0.02, 0.03, 0.02, 0.04,
                                0.04, 0.04, 0.04, 0.04, 0.5,  0.1};
        for (int w = 1; w <= 12; ++w) {
            Windows.Lower[w] = centre[w - 1] - 8;
            Windows.Upper[w] = centre[w - 1] + 8;
            Windows.Shift[w] = shift[w - 1];
            Windows.ErrorRatio[w] = ratio[w - 1];
            Windows.SdShift[w] = w == 12 ? 0.05 : 0.01;
            Windows.Status[w] = w == 11 ? "NOT_SIGNIFICANT" : "OK";
        }
    }

    // Five criteria, start criterion 2; criterion 1 never finds a clean run.
    void SetStructure() {
        const long start[] = {221, 5, 5, 5, 5};  // 400.0 nm, then 292.0 nm
        const long meet[] = {0, 204, 210, 211, 212};
        const long exceed[] = {0, 0, 2, 1, 0};
        const double squares[] = {0, 0.51, 2.12, 0.0212, 0};  // shape scores -, 5, 10, 1, 0
        const long late[] = {0, 0, 0, 1, 0};
        for (int j = 1; j <= 5; ++j) {
            QcOut.StartIndex[j] = start[j - 1];
            QcOut.MeetCount[j] = meet[j - 1];
            QcOut.ExceedCount[j] = exceed[j - 1];
            QcOut.DeviationSquareSum[j] = squares[j - 1];
            QcOut.LateExceedCount[j] = late[j - 1];
        }
    }

    std::string QaqcFile(const std::string& name) const { return Path("exa/qaqc/" + name); }
    std::string Log() const { return ReadFile(Path("tarnpelo.log")); }
};

inline std::vector<std::string> Columns(const std::string& row) {
    std::istringstream in(row);
    std::vector<std::string> columns;
    for (std::string c; in >> c;) columns.push_back(c);
    return columns;
}

}  // namespace tarn::test
