#include "engine/defaults.h"

#include "engine/engine_state.h"
#include "engine/program_state.h"
#include "engine/wavelength_shift.h"
#include "platform/paths.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

const char* const kTransmissionLabels[kTransmissionClasses + 1] = {
    "",
    "BLACK  EXTREMELY_HIGH",
    "RED    VERY_VERY_HIGH",
    "YELLOW VERY_HIGH",
    "GREEN  LOW_OR_NO_CLOUDS",
    "GREEN  CLOUDS",
    "GREEN  THICK_CLOUDS",
    "YELLOW VERY_THICK_CLOUDS",
    "RED    VERY_VERY_THICK_CLOUDS",
    "BLACK  EXTREMELY_LOW_TRANSMISS"};
const double kTransmissionThresholds[kTransmissionClasses + 1] = {0,    2.0, 1.5,  1.25, 0.75,
                                                                   0.25, 0.1, 0.05, 0.01, 0};
const char* const kScanVariationLabels[kScanVariationClasses + 1] = {
    "",
    "EXTREME_VARIATION_SCAN",
    "VERY_LARGE_VARIATION_SCAN",
    "LARGE_VARIATION_SCAN",
    "CONSIDERABLE_VARIATION_SCAN",
    "SOME_VARIATION_SCAN",
    "LOW_VARIATION_SCAN",
    "STABLE_SCAN",
    "VERY_STABLE_SCAN"};
const double kScanVariationThresholds[kScanVariationClasses + 1] = {0, 30, 20, 15, 10, 5, 3, 2, 0};
const double kZenithRows[8][4] = {{20, 297, 299, 302},  {30, 298, 300, 303}, {45, 299, 301, 304},
                                  {55, 300, 302, 305},  {60, 301, 303, 306}, {65, 302, 304, 307},
                                  {70, 303, 305, 308},  {361, 304, 306, 310}};
const char* const kCriterionNames[kMaxCriteria + 1] = {"", "str01", "str25", "str05", "str10",
                                                       "str50"};
const double kCriterionDeviations[kMaxCriteria + 1] = {0, 0.1, 0.25, 0.5, 1.0, 5.0};
const int kSelectedWindows[6] = {1, 5, 17, 33, 49, 64};

// Subdirectory name with the separator at its end.
std::string Dir(const char* name) { return std::string(name) + kPathSeparator; }

void SetBuiltInPaths() {
    Paths.MainPath = Dir("uvanalys");
    Paths.SecondPath = Paths.MainPath;
    Paths.ShiftRootPath = Paths.MainPath;
    Paths.RefDataPath = Paths.MainPath + Dir("etoz");
    Paths.RefDataPath2 = Paths.RefDataPath;
    Paths.ActionSpectrumDir = Paths.RefDataPath;
    Paths.MeasurementCopyName = "meting.met";
    Paths.SimulationFileName = "ozon_shi.";
    Paths.EtFileName = "kp320a3L.et";
    Paths.SimSpectrumName = "ozonsim.hsp";
    Paths.DeconFileName = "decon.hsp";
    Paths.DeconOutputName = "decon.hsp";
    Paths.O3CrossFileName = "o3cross.wgt";
    Paths.StdSlitFileName = "";
    Paths.EfuvDefaultsName = "efuv.dfa";
    Paths.EfuvSubdir = Dir("efuv");
    Paths.ShiftSubdir = Dir("shift");
    Paths.QaqcSubdir = Dir("qaqc");
    Paths.QflagName = "Qflag";
    Paths.SpikeCorrectionName = "SPQ";
    Paths.SpikeSummaryName = "SPD";
    Paths.StrucSubdir = Dir("struc");
    Paths.TransSubdir = Dir("trans");
    Paths.TransName = "T";
    Paths.Et1nmFileName = "kp320a3L.1nm";
    Paths.DailyQualityName = "QC";
    Paths.FlagstatSubdir = Dir("flagstat");
}

void SetBuiltInAnalysis() {
    Analysis.Latitude = 45.8138;
    Analysis.Longitude = 8.6266;
    Analysis.WindowMode = 1;
    Analysis.FirstWindowLower = 290.0;
    Analysis.WindowWidth = 16.0;
    Analysis.WindowStep = 1.0;
    Analysis.MaximumShift = 0.9;
    Analysis.EtShift = 0.0;
    Analysis.O3Shift = 0.0;
    Analysis.DeconStepCount = 9;
    Analysis.GridLow = 285.0;
    Analysis.GridHigh = 410.0;
    Analysis.GridStep = 0.01;
    Analysis.FinalSimStart = 290.0;
    Analysis.FinalSimEnd = 400.0;
    Analysis.FinalSimStep = 0.5;
    Analysis.StdFwhm = 1.0;
    Analysis.StdSlitChar = '0';
    Analysis.OzoneFitValues[0] = 0.0;
    Analysis.OzoneFitValues[1] = 0.5;
    Analysis.OzoneFitValues[2] = 0.01;
    Analysis.OzoneFitValues[3] = 0.12;
    Analysis.MeasurementYear = "1998";
    Analysis.StepTableLength = 3;
    Analysis.StepRatioLow = 50.0;
    Analysis.StepRatioHigh = 100.0;
    Analysis.StepRatioFactor = 0.1;
    Analysis.ErK2 = 3.5;
    Analysis.ErK1 = 1.1;
    Analysis.ErHigh = 0.06;
    Analysis.ErLow = 0.025;
    for (long& t : Analysis.TimeCorrection) t = 0;
    Analysis.ReservedValue = 0.05;
    Analysis.SdShiftThreshold = 0.02;
    Analysis.SpikeDetectionOn = true;
    Analysis.SpikeCorrectionOn = false;
    Analysis.SpikeCriterion = 2.0;
    Analysis.SpikeHalfWindow = 5;
    Analysis.ReferenceWavelength = 310.0;
    Engine.SlitRangeFactor = 2.0;
    Analysis.GridMargin = Engine.SlitRangeFactor * 2.1 + Analysis.MaximumShift;
}

void SetBuiltInQcTables() {
    Qc.CriteriaCount = kMaxCriteria;
    for (int j = 0; j <= kMaxCriteria; ++j) {
        Qc.CriterionName[j] = kCriterionNames[j];
        Qc.CriterionDeviation[j] = kCriterionDeviations[j];
    }
    Qc.StartCriterion = 2;
    Qc.StartRunLength = 5;
    Qc.SelectedWindowCount = 6;
    for (int i = 0; i <= kMaxSelectedWindows; ++i) Qc.SelectedWindows[i] = 0;
    for (int i = 0; i < 6; ++i) Qc.SelectedWindows[i + 1] = kSelectedWindows[i];
    Qc.Shift1MinWindows = 5;
    Qc.Shift2MinWindows = 5;
    const double shiftLimits[4] = {0, 0.1, 0.2, 0.4};
    const double shapeLimits[4] = {0, 10, 15, 20};
    const double efuvLimits[4] = {0, 3, 6, 12};
    for (int i = 0; i < 4; ++i) {
        Qc.Shift1Limits[i] = shiftLimits[i];
        Qc.Shift2Limits[i] = shiftLimits[i];
        Qc.ShapeLimits[i] = shapeLimits[i];
        Qc.EfuvPercentLimits[i] = efuvLimits[i];
    }
    Qc.StabilityLimits[0] = 0;
    Qc.StabilityLimits[1] = 3;
    Qc.StabilityLimits[2] = 5;
    Qc.ZenithRowCount = 8;
    for (int r = 0; r <= kMaxZenithRows; ++r)
        for (int c = 0; c < 4; ++c) Qc.ZenithTable[r][c] = r >= 1 && r <= 8 ? kZenithRows[r - 1][c] : 0;
    for (int i = 0; i <= kTransmissionClasses; ++i) {
        Qc.TransmissionThresholds[i] = kTransmissionThresholds[i];
        Qc.TransmissionLabels[i] = i == 0 ? "" : PadRight(kTransmissionLabels[i], 30);
    }
    for (int i = 0; i <= kScanVariationClasses; ++i) {
        Qc.ScanVariationThresholds[i] = kScanVariationThresholds[i];
        Qc.ScanVariationLabels[i] = i == 0 ? "" : PadRight(kScanVariationLabels[i], 30);
    }
    Qc.QcIntervals[1][0] = 300.0;
    Qc.QcIntervals[1][1] = 325.0;
    Qc.QcIntervals[2][0] = 325.0;
    Qc.QcIntervals[2][1] = 400.0;
    const double levels[5] = {0, 0.0001, 0.0005, 0.0015, 0.005};
    for (int i = 0; i <= kIrradianceLevelCount; ++i) Qc.IrradianceLevels[i] = levels[i];
    for (bool& s : Qc.ClassFileSwitches) s = true;
}

void SetBuiltInWindows() {
    Windows.Count = 300;
    // The ozone-fit window has no bounds of its own in the built-in set; the
    // fit runs over 305..330 nm unless a long defaults file gives it.
    Windows.Lower[0] = 305.0;
    Windows.Upper[0] = 330.0;
    for (int i = 1; i <= kMaxWindows; ++i) {
        Windows.Lower[i] = i <= Windows.Count ? Analysis.FirstWindowLower + (i - 1) * Analysis.WindowStep : 0.0;
        Windows.Upper[i] = i <= Windows.Count ? Windows.Lower[i] + Analysis.WindowWidth : 0.0;
    }
}

void SetBuiltInSwitches() {
    OutputSwitches& s = Engine.Switches;
    s.Effective_UV = s.Interval_UV = s.transmission = s.Stand_slit = s.Instrument_slit = true;
    s.detailed_shif = s.corr_waveln = s.daily_shif = s.Q_flag = s.spec_struc = true;
    s.trans_Q = s.Details_on_corrections = s.Main_spikes_only = s.Log_main_tarn = true;
    s.Log_shift = true;
}

}  // namespace

void SetInternalDefaults() {
    SetBuiltInPaths();
    SetBuiltInAnalysis();
    SetBuiltInQcTables();
    SetBuiltInWindows();
    SetBuiltInSwitches();
    const double steps[5] = {0, 0.2, 0.04, 0.02, 0.01};
    for (int i = 0; i <= kMaxStepLevels; ++i) StepTable.Steps[i] = i <= 4 ? steps[i] : 0.0;
    CommandLine.IdSpecout = "1";
    QcOut.DetectedAboveLevel1 = QcOut.DetectedAboveLevel2 = 0;
    QcOut.CorrectedAboveLevel1 = QcOut.CorrectedAboveLevel2 = 0;
    QcOut.MedianIrradianceAtReference = 0.0;
}

void ReadLongDefaults() {}

void WriteEffectiveDefaults() {}

}  // namespace tarn
