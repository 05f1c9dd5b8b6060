// Constants that more than one module of the engine (and the windowed
// programs that read its files) use: the fine grid, physical factors, the
// fine-grid margin rule and the names of the files that the engine and the
// operator shell share.
#pragma once

namespace tarn {

// ---- Fine grid and measured arrays ----

constexpr double kReferenceGridStart = 250.0;  // nm, wavelength of fine-grid index 0
constexpr int kMaxMeasuredPoints = 40000;
constexpr int kMaxGridIndex = 40000;
constexpr int kSpectrumSize = kMaxGridIndex + 1;

// ---- Numbers ----

constexpr double kPi = 3.14159265358979323846;

// The solar-position routine's own value of pi, to eight decimals.  That
// routine keeps it, because its other angle constants (2 pi, 3 pi / 2, pi / 2,
// degrees per radian) are written to the same short precision and only
// agree with this value; its zenith angles, and with them every model
// spectrum and result file, have always been computed with them together.
constexpr double kSolarPositionPi = 3.14159265;

// The ozone amount x is carried in the unit in which x times a value of the
// cross-section file is an optical depth; 3700 x is the column in Dobson units.
constexpr double kDobsonUnitsPerAmount = 3700.0;

// Fine-grid margin (nm) beyond the model grid on both sides:
// slitRangeFactor x width + maximumShift.  The defaults readers take the
// width kDefaultsMarginWidth; the instrument file replaces it by the FWHM.
constexpr double kDefaultsMarginWidth = 2.1;  // nm
constexpr double GridMarginFor(double slitRangeFactor, double width, double maximumShift) {
    return slitRangeFactor * width + maximumShift;
}

// ---- File names ----

constexpr const char* kMainLogName = "tarnpelo.log";
constexpr const char* kShiftLogName = "shift.log";
constexpr const char* kShortDefaultsName = "tarnpelo.dfa";    // the install's defaults file
constexpr const char* kEffectiveDefaultsName = "tarn_e.dfa";  // in the main path
constexpr const char* kOutputSpecName = "output.dfa";         // in the main path
constexpr const char* kEfuvDefaultsName = "efuv.dfa";         // built-in name
constexpr const char* kSettingsFileName = "ozonshi.dfa";      // analysis settings, by convention
constexpr const char* kMeasurementCopyName = "meting.met";    // built-in name
constexpr const char* kHeaderFileName = "header.txt";         // in the main path
constexpr const char* kCheckFileName = "check.chk";
constexpr const char* kShiftResultName = "shift.shi";        // shift unit's report
constexpr const char* kShiftCurveName = "curve.shi";         // shift unit's error curve
constexpr const char* kStandardSlitOutput = "instr1.out";    // final simulation, standard slit
constexpr const char* kInstrumentSlitOutput = "instr2.out";  // final simulation, instrument slit

// ---- Console lines that the shell reads back ----

// The last line of a halt's error block on standard output ("... ERROR S2").
constexpr const char* kHaltLinePrefix = "Program Halted; ERROR ";
// The start of the run-time error report, one line on standard error.
constexpr const char* kRunTimeErrorPrefix = "tarnpelo: ";

}  // namespace tarn
