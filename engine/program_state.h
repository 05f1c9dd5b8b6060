// Module-level records of the engine's program: command line, settings of the
// defaults files, instrument settings, the measured scan, the shift windows,
// the QC tables and the results the stages leave for the QC report.
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
constexpr int kMaxHeaderLines = 50;       // scan header lines kept
constexpr int kDefaultsSplitFields = 50;  // fields of a split line of the long defaults file

// Command-line values.
struct CommandLineArgs {
    int ArgCount;              // number of arguments given
    std::string ScanName;      // DDDhhmm
    std::string IdMet;         // instrument id, at most 15 characters
    std::string DefaultsFile;  // defaults-file name, at most 255 characters
    std::string IdShift;       // one-letter result codes
    std::string IdSpecout;
    std::string IdShifAppl;
    std::string OptionWord;
};

// Run switches and values that the main flow sets.
struct RunState {
    bool ShiftCorrectionOn;
    double GivenOzone;         // ozone amount x (3700 x = DU), given or fitted
    double ErrorRatioMinimum;  // smallest error ratio over the windows
    std::string ResultName;    // <id>/<DDDhhmm><id_specout>.<id>
};

// Date and time of the run, taken at start.
struct RunDateTime {
    unsigned Year, Month, Day, DayOfWeek;
    unsigned Hour, Minute, Second, Hundredth;
};

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

// Lower and upper bound of each window (element 0 the ozone-fit window) and per
// window the shift determination's results.
struct ShiftWindowTable {
    int Count;
    double Lower[kMaxWindows + 1];
    double Upper[kMaxWindows + 1];
    double Shift[kMaxWindows + 1];
    double SdShift[kMaxWindows + 1];
    double ErrorRatio[kMaxWindows + 1];
    std::string Status[kMaxWindows + 1];
    double ErHigh;
    double ErThreshold;
};

// Settings of the instrument defaults file.
struct InstrumentSettings {
    std::string SettingsFileName;
    unsigned HeaderLineCount;
    bool NoIdMet;
    std::string MeasurementExtension;        // at most 10 characters, with its point
    std::string MeasurementDirectory;        // ends in the separator
    double RangeStart, RangeEnd, RangeStep;  // nm; RangeEnd is later cut to the scan
    long HalfWidthPoints;
    char SlitChar;  // '1' slit-function file, else triangle
    double Fwhm;    // nm
    long LineStep;
    double IrradianceFactor;
};

// The scan being analysed.
struct MeasuredScan {
    unsigned DayNumber;
    double EarthSunFactor;
    std::string MeasurementFileCode;               // MMDDhhmmYYYY
    std::string HeaderLines[kMaxHeaderLines + 1];  // [0]: "no_fit" / last window status
    int PointCount;
    double LastStoredWavelength;
    double SolarZenithAngle;  // degrees
};

// Values the stages leave for the QC report.
struct QcResults {
    // Structure check, per criterion [1..k].
    long StartIndex[kMaxCriteria + 1];
    long MeetCount[kMaxCriteria + 1];
    long ExceedCount[kMaxCriteria + 1];
    double DeviationSquareSum[kMaxCriteria + 1];
    long LateExceedCount[kMaxCriteria + 1];
    double RatioMean1, RatioSd1, RatioMean2, RatioSd2, RatioMeanAll, RatioSdAll;
    std::string RangeStatus1, RangeStatus2;
    // Spike detection.
    long DetectedAboveLevel1, DetectedAboveLevel2;
    long CorrectedAboveLevel1, CorrectedAboveLevel2;
    std::string IrradianceLevel;
    double MedianIrradianceAtReference;
    // Effective UV: fractions, made percent by the QC report.
    double EfuvBelowStart, EfuvAboveLast;
    // Result files.
    double StartIrradiance, MaxIrradianceBelowStart;
};

extern CommandLineArgs CommandLine;
extern RunState Flow;  // run switches and values of the main flow
extern RunDateTime RunDate;
extern PathsAndNames Paths;
extern AnalysisSettings Analysis;
extern QcTables Qc;
extern ShiftWindowTable Windows;
extern InstrumentSettings Instrument;
extern MeasuredScan Scan;
extern QcResults QcOut;

// Resets every program record to its program-start value (zero and empty).
void ResetProgramState();

// First three characters of the scan name, padded on the left with "0".
std::string DayPart();

// Name of the instrument's result directory: <main path><id><separator>.
std::string ResultDirectory();

// The scan file as the engine opens it: <measurement directory><DDDhhmm><extension>.
std::string ScanFilePath();

// The scan file and the three result codes, as the per-day files list a scan.
std::string ScanLine();

// Date and time of the run, as result headers show them: year (4), " Month ",
// month (2), " Day ", day (2), " Time: ", hour (2), ":", minute (2).
std::string RunDateText();

}  // namespace tarn
