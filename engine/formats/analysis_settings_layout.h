// The analysis settings file (by convention "ozonshi.dfa", named on line 1 of
// the instrument defaults file): 24 lines that the engine writes in the main
// path in every run, and that the shift determination, the ozone stage and
// the deconvolution read back by line number.  The line numbers, the writer
// and the three readers are here, over one record; all of it is pure (no
// module state, console or log).
#pragma once

#include <string>
#include <vector>

#include "engine/formats/settings_records.h"

namespace tarn {

class TextIn;

// 1-based line numbers of the file.
enum AnalysisSettingsLine : int {
    kSettingsSimulationName = 1,   // simulation output name
    kSettingsMaximumShift = 2,     // R
    kSettingsHalfWidth = 3,        // I
    kSettingsMeasurementCopy = 4,  // name of the copy of the scan
    kSettingsShiftResult = 5,      // the shift unit's report
    kSettingsShiftCurve = 6,       // the shift unit's error curve
    kSettingsLocation = 7,         // longitude, latitude (10:4 each) and a text
    kSettingsReferenceShifts = 8,  // offsets of the ET spectrum and the cross-section (10:3 each)
    kSettingsEtFile = 9,
    kSettingsSimulatedSpectrum = 10,
    kSettingsSimulationOutput = 11,  // the simulation output name again
    kSettingsO3CrossFile = 12,
    kSettingsInstrumentId = 13,
    kSettingsModelGrid = 14,  // R R R: grid low - margin, grid high + margin, step
    kSettingsRange = 15,      // R R R: the instrument's range
    kSettingsFwhm = 16,       // R
    kSettingsSlitChar = 17,
    kSettingsSlitFile = 18,
    kSettingsOzoneFit = 19,         // R R R R
    kSettingsStepCount = 20,        // I
    kSettingsSteps = 21,            // R each, without blanks between
    kSettingsMarginAndFactor = 22,  // R R
    kSettingsFinalRange = 23,       // R R
    kSettingsTimeCorrection = 24,   // I I I I
    kSettingsLineCount = 24
};

// The values of the file (wavelengths in nm, angles in degrees).
struct AnalysisSettingsValues {
    std::string SimulationName;  // lines 1 and 11
    double MaximumShift;
    long HalfWidthPoints;
    std::string MeasurementCopyName;
    std::string ShiftResultName;
    std::string ShiftCurveName;
    double Longitude, Latitude;
    double EtShift, O3Shift;
    std::string EtFileName;
    std::string SimSpectrumName;
    std::string O3CrossFileName;
    std::string InstrumentId;
    double GridLow, GridHigh, GridStep;  // the fine-grid margin included
    double RangeStart, RangeEnd, RangeStep;
    double Fwhm;
    char SlitChar;
    std::string SlitFileName;
    double OzoneFitValues[4];          // bracket ends, tolerance, start value
    long StepCount;                    // as written; the steps only for 1..7
    double Steps[kMaxStepLevels + 1];  // [1..StepCount]
    double GridMargin;
    double SlitRangeFactor;
    double FinalRangeLow, FinalRangeHigh;
    long TimeCorrection[4];  // days, hours, minutes, seconds
};

// The 24 lines of the file `file` (named when a real is not finite: the
// run-time error).
std::vector<std::string> AnalysisSettingsLines(const AnalysisSettingsValues& values,
                                               const std::string& file);

// The shift determination's lines 1 to 6 (names as whole lines).
void ReadShiftSettings(TextIn& in, AnalysisSettingsValues& values);

// Which of the optional lines 19 to 24 the ozone stage found.
struct OzoneSettingsLines {
    bool FitValues;       // line 19
    bool StepGroup;       // lines 20 to 22
    bool StepsRead;       // line 21 read: StepCount within 1..7
    bool FinalRange;      // line 23
    bool TimeCorrection;  // line 24
};

// The ozone stage's lines: 2, 7 to 14 (line 11 into SimulationName) and 17,
// 18, then lines 19 to 24 while the file has more lines.
void ReadOzoneSettings(TextIn& in, AnalysisSettingsValues& values, OzoneSettingsLines& found);

// The deconvolution's lines 14 to 18.
void ReadDeconvolutionSettings(TextIn& in, AnalysisSettingsValues& values);

}  // namespace tarn
