// Module-level records of the engine's program: command line, settings of the
// defaults files, instrument settings, the measured scan, the shift windows,
// the QC tables and the results the stages leave for the QC report.
//
// Tables that the file formats number from 1 are held 1-based: element 0 is
// unused unless a comment says otherwise.
#pragma once

#include <string>

#include "engine/formats/settings_records.h"

namespace tarn {

constexpr int kMaxHeaderLines = 50;  // scan header lines kept

// Command-line values.
struct CommandLineArgs {
    int ArgCount;              // number of arguments given
    std::string ScanName;      // DDDhhmm
    std::string IdMet;         // instrument id, at most 15 characters
    std::string DefaultsFile;  // defaults-file name as given
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
    // Effective UV: fractions of the reference dose (not percent), -1 undetermined.
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
