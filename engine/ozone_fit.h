// Ozone simulation and fit: reference spectra onto the fine grid, the solar
// zenith angle of the scan, the clear-sky model and Brent's minimisation of
// the shift error ratio over the ozone amount.
//
// The ozone amount x is the column amount in the unit in which x times a value
// of the cross-section file is an optical depth; 3700 x is reported as DU.
#pragma once

#include <cstdint>
#include <string>

namespace tarn {

// The stage's module-level state, one instance for the run.
struct OzoneFitState {
    std::string MainPath;
    std::string RefDataPath;
    std::string SettingsFile;
    std::string FileCode;                 // MMDDhhmmYYYY
    std::string EtFileName;               // settings line 9
    std::string SecondSimName;            // line 10
    std::string SimOutputName;            // line 11
    std::string CrossSectionFileName;     // line 12
    double FitLow, FitHigh;               // nm, from the caller
    double ModelLow, ModelHigh;           // nm, range of ComputeModelSpectrum
    double GridLow, GridHigh, GridStep;   // nm, line 14
    double GridMargin;                    // nm, line 22
    double MaximumShift;                  // nm, line 2
    double EtOffset, CrossSectionOffset;  // nm, line 8
    double Longitude, Latitude;           // degrees, line 7 (longitude east positive)
    double Fwhm;                          // nm, from the caller
    char SlitChar;                        // line 17
    std::string SlitFileName;             // line 18, at most 40 characters
    double OutputStep;                    // nm, finest shift step (line 21)
    double FitBracketA, FitBracketB, FitTolerance, FitStartValue;  // line 19
    double FinalSimulationRange[2];                                // nm, line 23
    int32_t TimeCorrection[4];     // days, hours, minutes, seconds (line 24)
    double PressureFractionAbove;  // ozsimuY.dfa
    double FractionInLayer;
    double LayerHeight;                               // km
    uint16_t Year, Month, Day, Hour, Minute, Second;  // the scan's own clock
    double ZenithAngle;                               // degrees, as computed
    double ModelZenithAngle;                          // degrees, at most 89
    double Azimuth;                                   // degrees
    double Ozone, Dobson, Shift, Uncertainty, ErrorRatio;  // fit results
    std::string Status;
    double CurrentWavelength;  // nm, input of ClearSkyIrradiance
    double CurrentValue;       // extraterrestrial value in, model irradiance out
    double CurrentCrossSection;
    long long CurrentIndex;
    bool RangeWarningLogged;  // a model range past the fine grid was logged
};

extern OzoneFitState OzoneFit;

// Clears the stage's state and its caches as at program start (the main
// flow, at the start of every run).
void ResetOzoneFit();

// What the stage fits: its files, the fit window and the instrument's slit.
struct OzoneFitRequest {
    std::string MainPath;      // settings, slit and trace file
    std::string RefDataPath;   // reference spectra
    std::string SettingsFile;  // analysis settings, in MainPath
    std::string FileCode;      // MMDDhhmmYYYY of the scan
    double FitLow, FitHigh;    // nm
    double Fwhm;               // nm
    char SlitChar;
    double GivenOzone;   // x, the result with "no_fit" in Option
    std::string Option;  // "no_fit": no fit; ">1": reference spectra already loaded
};

// The fit's result.
struct OzoneFitResult {
    double Shift, Uncertainty;  // nm
    double ErrorRatio;
    double Ozone;        // x (3700 x = DU)
    double ZenithAngle;  // degrees, the scan's solar zenith angle
};

// Fits the ozone amount x over FitLow..FitHigh and leaves the model of the
// result in FineSpectrum and SimulatedSpectrum.  Reads
// <MainPath><SettingsFile>, the reference spectra in RefDataPath, and writes
// the trace file <MainPath>ozsimlog.log and lines of the main log.
OzoneFitResult RunOzoneSimulation(const OzoneFitRequest& request);

// Reads <MainPath><SettingsFile> (ERROR O3 when it is missing) and the
// optional ozone-layer file <MainPath>ozsimuY.dfa into OzoneFit; overwrites
// the shift step sizes and SlitRangeFactor from lines 20 to 22.
void ReadOzoneDefaults();

// Loads the extraterrestrial spectrum (ERROR O1) and the ozone cross-section
// (ERROR O2) from RefDataPath onto ExtraterrestrialGrid and
// OzoneCrossSectionGrid over grid low - GridMargin .. grid high + GridMargin:
// points averaged per cell, gaps filled linearly, the ends held.
void LoadSolarAndOzoneTables();

// The outcome of the file code's conversion and the date and place check:
// ErrorCode 0 or the check's code 1..8, and the message of a failure.
struct DateCheck {
    int ErrorCode;
    std::string Message;
};

// File code -> date-time parts -> solar zenith angle and azimuth (degrees) at
// the settings' place, after the time correction.  A bad month, day or hour
// logs one line and leaves the angle as it was (code 0 and the conversion
// message).  Prints the angle.  Returns the outcome of the check.
[[nodiscard]] DateCheck FileCodeToZenithAngle();

// Clear-sky irradiance at CurrentWavelength (nm) for the ozone amount x, from
// CurrentValue (extraterrestrial, mW m-2 nm-1) and CurrentCrossSection at the
// model zenith angle; the result replaces CurrentValue.
void ClearSkyIrradiance(double x);

// Fills FineSpectrum with the clear-sky model for the ozone amount x from
// ModelLow - GridMargin up to ModelHigh + GridMargin (nm) on the grid step.
void ComputeModelSpectrum(double x);

// One trial of the fit: the model for x over the fit window, its slit
// simulation and the shift determination; returns the error ratio.
double OzoneFitCost(double x);

// |a| when b >= 0, else -|a|.
double TransferSign(double a, double b);

// Cost function of Brent's minimisation (ozone amount -> cost).
using OzoneCostFunction = double (*)(double);

// The search of Brent's method: the bracket BracketA..BracketB (either
// order), the starting amount and the relative tolerance.
struct BrentSearch {
    double BracketA, Start, BracketB, Tolerance;
};

// The minimum found: the amount x and its cost.
struct BrentMinimum {
    double X, Cost;
};

// Brent's method (parabolic interpolation with golden-section steps, at most
// 10 iterations), minimising OzoneFitCost.  Rewrites the trace file
// <MainPath>ozsimlog.log.
BrentMinimum BrentMinimise(const BrentSearch& search);

// The same minimisation of any cost function (the fit passes OzoneFitCost).
BrentMinimum BrentMinimiseWith(OzoneCostFunction cost, const BrentSearch& search);

}  // namespace tarn
