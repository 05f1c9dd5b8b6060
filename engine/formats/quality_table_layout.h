// The row of the daily quality table <DDD>QC.<id> and its column rule.
//
// One routine lays a row out as a list of fields; the engine's writer joins
// them into the row, and the column rule counts them, so the columns that
// the viewer plots always match the rows the engine writes.  A row is a list
// of blank-separated tokens (a percent sign and each word token count as one)
// and has 45 + 6k - 2S columns for k structure criteria and start criterion S.
// Pure: no module state, console or log.
#pragma once

#include <string>

#include "engine/formats/settings_records.h"

namespace tarn {

// The structure-criteria count k within 1..5 and the start criterion S within
// 1..k, as the structure check and the QC report use them.
struct CriteriaInForce {
    int Count;  // k
    int Start;  // S
};
CriteriaInForce CriteriaCountsInForce(int criteriaCount, int startCriterion);

// The values of one row.  Arrays are indexed by QC interval [1..2] or
// criterion [1..k]; element 0 is unused.
struct QualityRowValues {
    int CriteriaCount;   // k (1..5)
    int StartCriterion;  // S (1..k)
    std::string ScanName;
    double ZenithAngle;               // degrees
    double MeanShift[3], SdShift[3];  // nm
    int WindowsUsed[3];
    double MeanErrorRatio[3], SdErrorRatio[3];
    double StartWavelength[kMaxCriteria + 1];  // nm
    long MeetCount[kMaxCriteria + 1], ExceedCount[kMaxCriteria + 1];
    double ShapeScore[kMaxCriteria + 1];  // percent
    long LateExceedCount[kMaxCriteria + 1];
    double EfuvBelowStart, EfuvAboveLast;  // percent
    double FirstWavelength;                // nm, start wavelength of criterion S
    double LastWavelength;                 // nm, the range end
    double StartIrradiance, MaxIrradianceBelowStart;
    // Ratio means and their percent deviations: [1], [2] the intervals, [0] both.
    double RatioMean[3], RatioPercent[3];
    double IrradianceLevel1, IrradianceLevel2;
    long DetectedAboveLevel1, DetectedAboveLevel2, CorrectedAboveLevel1, CorrectedAboveLevel2;
    double ScanHour;         // hours
    double QualityIndex;     // Q_index
    double OzoneIndication;  // DU
};

// The row as the engine writes it to `file` (without its line end); a real
// that is not finite is the run-time error naming the file.
std::string QualityRowText(const QualityRowValues& values, const std::string& file);

// The row's first part up to the criteria (scan name, zenith angle, shift
// statistics), which the main log repeats.
std::string QualityRowHeadText(const QualityRowValues& values, const std::string& file);

// The values of a row that have a column.  Those marked "per criterion" take
// the criterion j as well (1..k; LateExceedCount S+1..k).
enum class QualityColumn {
    ScanName,
    ZenithAngle,
    MeanShift1,
    SdShift1,
    WindowsUsed1,
    MeanShift2,
    SdShift2,
    WindowsUsed2,
    StartWavelength,  // per criterion
    MeetCount,        // per criterion
    ExceedCount,      // per criterion
    ShapeScore,       // per criterion
    EfuvBelowStart,
    FirstWavelength,
    EfuvAboveLast,
    LastWavelength,
    StartIrradiance,
    MaxIrradianceBelowStart,
    RatioMean1,
    RatioPercent1,
    RatioMean2,
    RatioPercent2,
    RatioMeanAll,
    RatioPercentAll,
    MeanErrorRatio1,
    SdErrorRatio1,
    MeanErrorRatio2,
    SdErrorRatio2,
    LateExceedCount,  // per criterion
    IrradianceLevel2,
    DetectedAboveLevel2,
    IrradianceLevel1,
    DetectedAboveLevel1,
    CorrectedAboveLevel2,
    CorrectedAboveLevel1,
    ScanHour,
    QualityIndex,
    OzoneIndication,
    Count
};

// 1-based column numbers of a row for given counts.
struct QualityTableColumns {
    int ColumnCount;  // 45 + 6k - 2S
    int CriteriaCount, StartCriterion;
    int Numbers[static_cast<int>(QualityColumn::Count)][kMaxCriteria + 1];

    // Column of a value (criterion j for the per-criterion values); 0 when
    // the row has no such column (a criterion beyond k, a late-exceeding
    // count at or below S).
    int Of(QualityColumn column, int criterion = 0) const;
};

// The columns for k structure criteria and start criterion S, both first
// brought into range as the engine does.  With k 4 and S 2: zenith angle 2,
// mean shifts 3 and 6, the shape score of criterion 2 16, RatioMean2 36 and
// the scan hour 60; with the built-in k 5: 2, 3, 6, 16, 40 and 66.
QualityTableColumns DailyQualityColumns(int criteriaCount, int startCriterion);

}  // namespace tarn
