// The records of the settings that the defaults files carry (the built-in
// set, the long and the short defaults file): paths and names, numeric
// settings and switches, and the settings of the quality checks, with the
// sizes of their tables.  The engine keeps one instance of each for the run
// (engine/program_state.h); the layouts of the files read and write them.
//
// Tables that the file formats number from 1 are held 1-based: element 0 is
// unused unless a comment says otherwise.
#pragma once

#include <string>

namespace tarn {

constexpr int kMaxWindows = 350;         // shift windows 1..350; element 0 the ozone-fit window
constexpr int kMaxCriteria = 5;          // structure criteria
constexpr int kMaxSelectedWindows = 20;  // windows listed in the daily shift file
constexpr int kMaxZenithRows = 10;
constexpr int kMaxStepLevels = 7;  // shift step sizes
constexpr int kTransmissionClasses = 9;
constexpr int kScanVariationClasses = 8;
constexpr int kIrradianceLevelCount = 4;
constexpr int kDefaultsSplitFields = 50;  // fields of a split line of the long defaults file

// Paths, directory names and file names of the defaults files.
struct PathsAndNames {
    std::string MainPath;             // ends in the separator
    std::string SecondPath;           // the main path
    std::string ShiftRootPath;        // the main path
    std::string RefDataPath;          // reference spectra directory, used as written
    std::string RefDataPath2;         // its second copy
    std::string ActionSpectrumDir;    // action-spectrum files of effective UV
    std::string MeasurementCopyName;  // "meting.met", at most 30
    std::string SimulationFileName;   // "ozon_shi." (+ id after phase 5), at most 50
    std::string EtFileName;           // extraterrestrial spectrum, at most 50
    std::string SimSpectrumName;      // "ozonsim.hsp", at most 50
    std::string DeconFileName;        // "decon.hsp", at most 50
    std::string DeconOutputName;      // the deconvolution output name, at most 30
    std::string O3CrossFileName;      // ozone cross-section, at most 50
    std::string StdSlitFileName;      // standardised slit file name
    std::string EfuvDefaultsName;     // "efuv.dfa", at most 40
    std::string EfuvSubdir;           // "efuv/", at most 40
    std::string ShiftSubdir;          // "shift/", at most 50
    std::string QaqcSubdir;           // "qaqc/", at most 30
    std::string QflagName;            // "Qflag", at most 5
    std::string SpikeCorrectionName;  // "SPQ"
    std::string SpikeSummaryName;     // "SPD"
    std::string StrucSubdir;          // "struc/", at most 30
    std::string TransSubdir;          // "trans/", at most 30
    std::string TransName;            // "T", at most 1
    std::string Et1nmFileName;        // "kp320a3L.1nm", at most 30
};

// Numeric settings and switches of the defaults files.
struct AnalysisSettings {
    double Latitude, Longitude;      // degrees
    int WindowMode;                  // 1 regular series, else explicit list
    double FirstWindowLower;         // nm
    double WindowWidth, WindowStep;  // nm
    double MaximumShift;             // nm
    double EtShift, O3Shift;         // wavelength offsets of the reference files, nm
    long DeconStepCount;
    double GridLow, GridHigh, GridStep;                        // model wavelength grid, nm
    double FinalSimStart, FinalSimEnd, FinalSimStep, StdFwhm;  // nm
    char StdSlitChar;
    double OzoneFitValues[4];     // bracket ends, tolerance, start value
    std::string MeasurementYear;  // at most 4 characters
    int StepTableLength;
    double StepRatioLow, StepRatioHigh, StepRatioFactor;
    double ErK2, ErK1, ErHigh, ErLow;
    long TimeCorrection[4];  // days, hours, minutes, seconds
    double ReservedValue;
    double SdShiftThreshold;  // nm
    double GridMargin;        // nm
    bool SpikeDetectionOn;
    bool SpikeCorrectionOn;
    double SpikeCriterion;
    long SpikeHalfWindow;
    double ReferenceWavelength;  // nm
    bool ShortDefaultsRead;
};

// Settings of the quality checks.
struct QcTables {
    int CriteriaCount;                            // k
    std::string CriterionName[kMaxCriteria + 1];  // at most 5 characters
    double CriterionDeviation[kMaxCriteria + 1];  // relative deviation c
    int StartCriterion;                           // S
    int StartRunLength;                           // 5
    int SelectedWindowCount;                      // n
    int SelectedWindows[kMaxSelectedWindows + 1];
    long Shift1MinWindows, Shift2MinWindows;
    double Shift1Limits[4], Shift2Limits[4];    // nm, [1..3]
    double StabilityLimits[3];                  // [1..2]
    double ShapeLimits[4];                      // [1..3]
    double EfuvPercentLimits[4];                // percent, [1..3]
    int ZenithRowCount;                         // z
    double ZenithTable[kMaxZenithRows + 1][4];  // rows [1..z]: limit (deg), w1, w2, w3 (nm)
    double TransmissionThresholds[kTransmissionClasses + 1];
    std::string TransmissionLabels[kTransmissionClasses + 1];
    double ScanVariationThresholds[kScanVariationClasses + 1];
    std::string ScanVariationLabels[kScanVariationClasses + 1];
    double QcIntervals[3][2];                            // intervals [1..2]: lower, upper (nm)
    double IrradianceLevels[kIrradianceLevelCount + 1];  // [1..4]
    bool ClassFileSwitches[5];  // 0 BLACK, 1 GREY, 2 SPIKES, 3 RED, 4 YELLOW and GREEN
};

}  // namespace tarn
