#include "engine/defaults.h"

#include <algorithm>
#include <vector>

#include "engine/engine_state.h"
#include "engine/field_split.h"
#include "engine/install.h"
#include "engine/program_state.h"
#include "engine/wavelength_shift.h"
#include "platform/console.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "platform/text_file.h"
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
const char* const kScanVariationLabels[kScanVariationClasses + 1] = {"",
                                                                     "EXTREME_VARIATION_SCAN",
                                                                     "VERY_LARGE_VARIATION_SCAN",
                                                                     "LARGE_VARIATION_SCAN",
                                                                     "CONSIDERABLE_VARIATION_SCAN",
                                                                     "SOME_VARIATION_SCAN",
                                                                     "LOW_VARIATION_SCAN",
                                                                     "STABLE_SCAN",
                                                                     "VERY_STABLE_SCAN"};
const double kScanVariationThresholds[kScanVariationClasses + 1] = {0, 30, 20, 15, 10, 5, 3, 2, 0};
const double kZenithRows[8][4] = {{20, 297, 299, 302}, {30, 298, 300, 303}, {45, 299, 301, 304},
                                  {55, 300, 302, 305}, {60, 301, 303, 306}, {65, 302, 304, 307},
                                  {70, 303, 305, 308}, {361, 304, 306, 310}};
const char* const kCriterionNames[kMaxCriteria + 1] = {"",      "str01", "str25",
                                                       "str05", "str10", "str50"};
const double kCriterionDeviations[kMaxCriteria + 1] = {0, 0.1, 0.25, 0.5, 1.0, 5.0};
const int kSelectedWindows[6] = {1, 5, 17, 33, 49, 64};

// Subdirectory name with the separator at its end.
std::string Dir(const char* name) {
    return std::string(name) + kPathSeparator;
}

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
        for (int c = 0; c < 4; ++c)
            Qc.ZenithTable[r][c] = r >= 1 && r <= 8 ? kZenithRows[r - 1][c] : 0;
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
        Windows.Lower[i] =
            i <= Windows.Count ? Analysis.FirstWindowLower + (i - 1) * Analysis.WindowStep : 0.0;
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

namespace {

constexpr int kHeadLineCount = 20;
constexpr const char* kEffectiveDefaultsName = "tarn_e.dfa";

// One long defaults file being read.
struct LongFile {
    TextIn in;
    // True when no byte of the file is left.
    bool Ended() const { return in.Eof(); }
};

std::string Where(const TextIn& in, int line) {
    return in.Name() + " line " + IntText(line) + ": ";
}

// A count or index outside its table: one log line and one console line.
void ReportLimit(const TextIn& in, int line, const std::string& what, long value, long low,
                 long high, long used) {
    std::string text = Where(in, line) + what + " " + IntText(value) + " outside " + IntText(low) +
                       ".." + IntText(high) + "; " + IntText(used) + " used";
    LogLine(text);
    ConsoleLine(text);
}

// A step or width of 0 or less is not taken: the value in force stays.  True
// when `value` may be taken.
bool PositiveOrReported(const TextIn& in, int line, const std::string& what, double value,
                        double kept) {
    if (value > 0.0) return true;
    LogLine(Where(in, line) + what + " " + Fixed(value, 1, 4) + " not above 0; " +
            Fixed(kept, 1, 4) + " kept");
    return false;
}

long ClampReported(const TextIn& in, int line, const std::string& what, long value, long low,
                   long high) {
    long used = std::clamp(value, low, high);
    if (used != value) ReportLimit(in, line, what, value, low, high, used);
    return used;
}

// Reads the values of one number line, then skips the rest of the line.
void ReadReals(TextIn& in, std::initializer_list<double*> values) {
    for (double* v : values) *v = in.Real();
    in.NextLine();
}

double ReadRealLine(TextIn& in) {
    double v = in.Real();
    in.NextLine();
    return v;
}

long ReadIntLine(TextIn& in) {
    long v = in.Int();
    in.NextLine();
    return v;
}

bool ReadSwitchLine(TextIn& in) {
    return in.ReadLine().find("true") != std::string::npos;
}

// First token of `text` (characters up to a blank or control character).
std::string FirstToken(const std::string& text) {
    size_t start = 0;
    while (start < text.size() && static_cast<unsigned char>(text[start]) <= ' ') ++start;
    size_t end = start;
    while (end < text.size() && static_cast<unsigned char>(text[end]) > ' ') ++end;
    return text.substr(start, end - start);
}

// A line of a name of `width` characters followed by a real; the real comes
// from the next line when the rest of this one is blank.
void ReadNameAndReal(TextIn& in, size_t width, std::string& name, double& value) {
    int line = in.LineNumber();
    std::string text = in.ReadLine();
    name = Cut(text, width);
    std::string token = FirstToken(text.size() > width ? text.substr(width) : std::string());
    if (token.empty()) {
        value = ReadRealLine(in);
    } else if (!ParseReal(token, value)) {
        throw RunTimeError("read number from", in.Name(), line,
                           "invalid numeric format '" + token + "'");
    }
}

// Splits a whole line into at most kDefaultsSplitFields blank-separated fields;
// surplus fields are dropped and reported.
uint16_t ReadSplitLine(TextIn& in, std::string* fields) {
    int line = in.LineNumber();
    uint16_t count = 0;
    unsigned dropped = SplitString(in.ReadLine(), fields, kDefaultsSplitFields, count, " ");
    if (dropped > 0) {
        ReportLimit(in, line, "field count", static_cast<long>(count) + dropped, 1,
                    kDefaultsSplitFields, count);
    }
    return count;
}

// Field `i` converted to a real when the line has it and it is a number;
// otherwise `value` keeps the value it holds.
bool TakeField(const std::string* fields, uint16_t count, int i, double& value) {
    double v = 0.0;
    if (i > count || !ParseRealTrimmed(fields[i], v)) return false;
    value = v;
    return true;
}

// Windows 1..Count as a regular series from the first lower bound, width and step.
void BuildRegularWindows() {
    for (int i = 1; i <= Windows.Count; ++i) {
        Windows.Lower[i] = Analysis.FirstWindowLower + (i - 1) * Analysis.WindowStep;
        Windows.Upper[i] = Windows.Lower[i] + Analysis.WindowWidth;
    }
}

// Reads past `count` surplus lines of a table, stopping at the end of the file.
void SkipSurplusLines(LongFile& f, long count) {
    for (long i = 0; i < count && !f.Ended(); ++i) f.in.NextLine();
}

// Head index 1: window count and mode.  The windows are rebuilt for the new
// count so that lines the file does not reach keep the built-in series.
long ReadWindowCountLine(LongFile& f) {
    int line = f.in.LineNumber();
    long count = f.in.Int();
    Analysis.WindowMode = static_cast<int>(f.in.Int());
    f.in.NextLine();
    Windows.Count =
        static_cast<int>(ClampReported(f.in, line, "window count", count, 1, kMaxWindows));
    BuildRegularWindows();
    return count;
}

// Head index 3: the regular series (mode 1) or one line per window.
void ReadWindowLines(LongFile& f, long fileCount) {
    TextIn& in = f.in;
    if (Analysis.WindowMode == 1) {
        int line = in.LineNumber();
        double first = 0, width = 0, step = 0;
        ReadReals(in, {&first, &width, &step});
        Analysis.FirstWindowLower = first;
        if (PositiveOrReported(in, line, "window width", width, Analysis.WindowWidth))
            Analysis.WindowWidth = width;
        if (PositiveOrReported(in, line, "window step", step, Analysis.WindowStep))
            Analysis.WindowStep = step;
        BuildRegularWindows();
        return;
    }
    long listed = std::max(0L, fileCount);
    for (long i = 1; i <= std::min<long>(listed, Windows.Count) && !f.Ended(); ++i)
        ReadReals(in, {&Windows.Lower[i], &Windows.Upper[i]});
    Analysis.FirstWindowLower = Windows.Lower[1];
    SkipSurplusLines(f, listed - Windows.Count);
}

// Head index 5: the first offset, then the rest of the line converted as a
// whole (0 when it is empty or not a number).
void ReadReferenceShiftLine(TextIn& in) {
    Analysis.EtShift = in.Real();
    double o3 = 0.0;
    Analysis.O3Shift = ParseRealTrimmed(in.ReadLine(), o3) ? o3 : 0.0;
}

std::string DirectoryLine(const std::string& text) {
    if (text.empty()) return text;  // the working directory
    return text.back() == kPathSeparator ? text : text + kPathSeparator;
}

void ReadHeadLine(LongFile& f, int index, long& windowFileCount) {
    TextIn& in = f.in;
    int line = in.LineNumber();
    switch (index) {
        case 0:
            ReadReals(in, {&Analysis.Latitude, &Analysis.Longitude});
            break;
        case 1:
            windowFileCount = ReadWindowCountLine(f);
            break;
        case 2:
            ReadReals(in, {&Windows.Lower[0], &Windows.Upper[0]});
            break;
        case 3:
            ReadWindowLines(f, windowFileCount);
            break;
        case 4:
            Analysis.MaximumShift = ReadRealLine(in);
            break;
        case 5:
            ReadReferenceShiftLine(in);
            break;
        case 6:
            Paths.MainPath = DirectoryLine(in.ReadLine());
            Paths.SecondPath = Paths.MainPath;
            Paths.ShiftRootPath = Paths.MainPath;
            break;
        case 7:
            Paths.RefDataPath = in.ReadLine();
            break;
        case 8:
            Paths.MeasurementCopyName = in.ReadText(30);
            break;
        case 9:
            Paths.SimulationFileName = in.ReadText(50);
            break;
        case 10:
            Paths.EtFileName = in.ReadText(50);
            break;
        case 11:
            Paths.SimSpectrumName = in.ReadText(50);
            break;
        case 12:
            Paths.DeconFileName = in.ReadText(50);
            break;
        case 13:
            Analysis.DeconStepCount = ReadIntLine(in);
            break;
        case 14: {
            double step = 0;
            ReadReals(in, {&Analysis.GridLow, &Analysis.GridHigh, &step});
            if (PositiveOrReported(in, line, "grid step", step, Analysis.GridStep))
                Analysis.GridStep = step;
            break;
        }
        case 15: {
            double step = 0;
            ReadReals(in,
                      {&Analysis.FinalSimStart, &Analysis.FinalSimEnd, &step, &Analysis.StdFwhm});
            if (PositiveOrReported(in, line, "final simulation step", step, Analysis.FinalSimStep))
                Analysis.FinalSimStep = step;
            break;
        }
        case 16: {
            std::string text = in.ReadLine();
            Analysis.StdSlitChar = text.empty() ? ' ' : text[0];
            Paths.StdSlitFileName = text.empty() ? std::string() : text.substr(1);
            break;
        }
        case 17:
            Paths.ActionSpectrumDir = in.ReadLine();
            Paths.RefDataPath2 = Paths.ActionSpectrumDir;
            break;
        case 18:
            CommandLine.IdSpecout = in.ReadText(1);
            break;
        case 19:
            Paths.O3CrossFileName = in.ReadText(50);
            break;
        default:
            break;
    }
}

// The required head; false when the file ends inside it (the lines read so far
// are applied, the rest keep their built-in values).
bool ReadHead(LongFile& f) {
    long windowFileCount = Windows.Count;
    for (int index = 0; index < kHeadLineCount; ++index) {
        if (f.Ended()) {
            LogLine(f.in.Name() + " ends after line " + IntText(f.in.LineNumber() - 1) +
                    ", inside its first " + IntText(kHeadLineCount) +
                    " lines; the missing settings keep their built-in values");
            return false;
        }
        ReadHeadLine(f, index, windowFileCount);
    }
    return true;
}

// Group 3: the shift step sizes.  A step of 0 or less keeps the built-in step
// where there is one; otherwise the table ends before it.
void ReadStepGroup(LongFile& f) {
    TextIn& in = f.in;
    int line = in.LineNumber();
    long fileCount = ReadIntLine(in);
    int length =
        static_cast<int>(ClampReported(in, line, "shift step count", fileCount, 1, kMaxStepLevels));
    line = in.LineNumber();
    int usable = length;
    for (long i = 1; i <= fileCount; ++i) {
        if (i > length && f.Ended()) break;  // surplus values the file does not hold
        double step = in.Real();
        if (i > usable) continue;
        if (step > 0.0) {
            StepTable.Steps[i] = step;
        } else if (StepTable.Steps[i] > 0.0) {
            PositiveOrReported(in, line, "shift step " + IntText(i), step, StepTable.Steps[i]);
        } else {
            LogLine(Where(in, line) + "shift step " + IntText(i) + " " + Fixed(step, 1, 4) +
                    " not above 0; " + IntText(i - 1) + " steps used");
            usable = static_cast<int>(i - 1);
        }
    }
    in.NextLine();
    Analysis.StepTableLength = std::max(1, usable);
    ReadReals(in, {&Analysis.StepRatioLow, &Analysis.StepRatioHigh, &Analysis.StepRatioFactor});
    Engine.SlitRangeFactor = ReadRealLine(in);
    Analysis.GridMargin = Engine.SlitRangeFactor * 2.1 + Analysis.MaximumShift;
}

// Group 4: the structure criteria.
void ReadCriteriaGroup(LongFile& f) {
    int line = f.in.LineNumber();
    long fileCount = ReadIntLine(f.in);
    Qc.CriteriaCount = static_cast<int>(
        ClampReported(f.in, line, "structure criterion count", fileCount, 1, kMaxCriteria));
    for (long j = 1; j <= std::min<long>(fileCount, Qc.CriteriaCount); ++j)
        ReadNameAndReal(f.in, 5, Qc.CriterionName[j], Qc.CriterionDeviation[j]);
    SkipSurplusLines(f, fileCount - Qc.CriteriaCount);
}

// Group 5: the error-ratio settings, a split line of three or four fields.
void ReadErrorRatioGroup(LongFile& f) {
    int line = f.in.LineNumber();
    std::string fields[kDefaultsSplitFields + 1];
    uint16_t count = ReadSplitLine(f.in, fields);
    int taken = TakeField(fields, count, 1, Analysis.ErK2) +
                TakeField(fields, count, 2, Analysis.ErK1) +
                TakeField(fields, count, 3, Analysis.ErHigh);
    if (taken < 3) {
        LogLine(Where(f.in, line) + "error-ratio line holds " + IntText(taken) +
                " of 3 numbers; the others keep their built-in values");
    }
    double low = 0.0;
    if (count > 3 && TakeField(fields, count, 4, low) && low != 0.0) Analysis.ErLow = low;
}

// Group 6: the selected windows of the daily shift file (0 to 20).
void ReadSelectedWindowsGroup(LongFile& f) {
    TextIn& in = f.in;
    int line = in.LineNumber();
    long fileCount = ReadIntLine(in);
    Qc.SelectedWindowCount = static_cast<int>(
        ClampReported(in, line, "selected window count", fileCount, 0, kMaxSelectedWindows));
    for (long i = 1; i <= std::min<long>(fileCount, Qc.SelectedWindowCount); ++i) {
        line = in.LineNumber();
        long number = ReadIntLine(in);
        Qc.SelectedWindows[i] =
            static_cast<int>(ClampReported(in, line, "window number", number, 1, kMaxWindows));
    }
    SkipSurplusLines(f, fileCount - Qc.SelectedWindowCount);
}

void ReadTimeCorrection(TextIn& in) {
    for (long& t : Analysis.TimeCorrection) t = in.Int();
    in.NextLine();
}

void ReadNamesGroup(TextIn& in) {
    Paths.EfuvDefaultsName = in.ReadText(40);
    Paths.EfuvSubdir = in.ReadText(40);
    Paths.ShiftSubdir = in.ReadText(50);
    Paths.QaqcSubdir = in.ReadText(30);
}

// Group 10: the QC flag settings and the zenith-wavelength table.
void ReadQcFlagGroup(LongFile& f) {
    TextIn& in = f.in;
    std::string fields[kDefaultsSplitFields + 1];
    uint16_t count = ReadSplitLine(in, fields);
    TakeField(fields, count, 1, Analysis.ReservedValue);
    if (count > 1) TakeField(fields, count, 2, Analysis.SdShiftThreshold);
    Qc.Shift1MinWindows = in.Int();
    Qc.Shift2MinWindows = in.Int();
    in.NextLine();
    Paths.QflagName = in.ReadText(5);
    ReadReals(in, {&Qc.Shift1Limits[1], &Qc.Shift1Limits[2], &Qc.Shift1Limits[3]});
    ReadReals(in, {&Qc.Shift2Limits[1], &Qc.Shift2Limits[2], &Qc.Shift2Limits[3]});
    ReadReals(in, {&Qc.StabilityLimits[1], &Qc.StabilityLimits[2]});
    ReadReals(in, {&Qc.ShapeLimits[1], &Qc.ShapeLimits[2], &Qc.ShapeLimits[3]});
    ReadReals(in, {&Qc.EfuvPercentLimits[1], &Qc.EfuvPercentLimits[2], &Qc.EfuvPercentLimits[3]});
    int line = in.LineNumber();
    long fileCount = ReadIntLine(in);
    Qc.ZenithRowCount =
        static_cast<int>(ClampReported(in, line, "zenith row count", fileCount, 1, kMaxZenithRows));
    for (long r = 1; r <= std::min<long>(fileCount, Qc.ZenithRowCount); ++r) {
        double* row = Qc.ZenithTable[r];
        ReadReals(in, {&row[0], &row[1], &row[2], &row[3]});
    }
    SkipSurplusLines(f, fileCount - Qc.ZenithRowCount);
}

// Group 11: spike settings, structure sub-directory, reference wavelength.
void ReadSpikeGroup(TextIn& in) {
    Paths.SpikeCorrectionName = in.ReadLine();
    Paths.SpikeSummaryName = in.ReadLine();
    Analysis.SpikeDetectionOn = ReadSwitchLine(in);
    Analysis.SpikeCorrectionOn = ReadSwitchLine(in);
    Analysis.SpikeCriterion = in.Real();
    Analysis.SpikeHalfWindow = in.Int();
    in.NextLine();
    Paths.StrucSubdir = in.ReadText(30);
    Analysis.ReferenceWavelength = ReadRealLine(in);
}

void ReadTransmissionGroup(TextIn& in) {
    for (int i = 1; i <= kTransmissionClasses; ++i) Qc.TransmissionThresholds[i] = ReadRealLine(in);
    Paths.TransSubdir = in.ReadText(30);
    Paths.TransName = in.ReadText(1);
    Paths.Et1nmFileName = in.ReadText(30);
}

void ReadIntervalGroup(TextIn& in) {
    ReadReals(in, {&Qc.QcIntervals[1][0], &Qc.QcIntervals[1][1]});
    ReadReals(in, {&Qc.QcIntervals[2][0], &Qc.QcIntervals[2][1]});
    ReadReals(in, {&Qc.IrradianceLevels[1], &Qc.IrradianceLevels[2], &Qc.IrradianceLevels[3],
                   &Qc.IrradianceLevels[4]});
}

void ReadScanVariationGroup(TextIn& in) {
    for (int i = 1; i <= kScanVariationClasses; ++i)
        Qc.ScanVariationThresholds[i] = ReadRealLine(in);
}

// Groups 1 to 14, each read only when the file has not ended before it.
void ReadOptionalGroups(LongFile& f) {
    TextIn& in = f.in;
    if (f.Ended()) return;
    ReadReals(in, {&Analysis.OzoneFitValues[0], &Analysis.OzoneFitValues[1],
                   &Analysis.OzoneFitValues[2], &Analysis.OzoneFitValues[3]});
    if (f.Ended()) return;
    Analysis.MeasurementYear = in.ReadText(4);
    if (f.Ended()) return;
    ReadStepGroup(f);
    if (f.Ended()) return;
    ReadCriteriaGroup(f);
    if (f.Ended()) return;
    ReadErrorRatioGroup(f);
    if (f.Ended()) return;
    ReadSelectedWindowsGroup(f);
    if (f.Ended()) return;
    ReadTimeCorrection(in);
    if (f.Ended()) return;
    ReadNamesGroup(in);
    if (f.Ended()) return;
    Qc.StartCriterion = static_cast<int>(ReadIntLine(in));
    if (f.Ended()) return;
    ReadQcFlagGroup(f);
    if (f.Ended()) return;
    ReadSpikeGroup(in);
    if (f.Ended()) return;
    ReadTransmissionGroup(in);
    if (f.Ended()) return;
    ReadIntervalGroup(in);
    if (f.Ended()) return;
    ReadScanVariationGroup(in);
}

void ReadLongFile(const std::string& name) {
    LongFile f;
    f.in.OpenOrThrow(name);
    if (ReadHead(f)) ReadOptionalGroups(f);
    f.in.Close();
}

std::string Reals(std::initializer_list<double> values) {
    std::string text;
    for (double v : values) text += (text.empty() ? "" : " ") + Sci(v);
    return text;
}

std::string Ints(std::initializer_list<long long> values) {
    std::string text;
    for (long long v : values) text += (text.empty() ? "" : " ") + IntText(v);
    return text;
}

std::string SwitchText(bool on) {
    return on ? "true" : "false";
}

void AddHeadLines(std::vector<std::string>& lines) {
    lines.push_back(Reals({Analysis.Latitude, Analysis.Longitude}));
    lines.push_back(IntText(Windows.Count) + " 1");
    lines.push_back(Reals({Windows.Lower[0], Windows.Upper[0]}));
    lines.push_back(Reals({Analysis.FirstWindowLower, Analysis.WindowWidth, Analysis.WindowStep}));
    lines.push_back(Sci(Analysis.MaximumShift));
    lines.push_back(Reals({Analysis.EtShift, Analysis.O3Shift}));
    lines.push_back(Paths.MainPath);
    lines.push_back(Paths.RefDataPath);
    lines.push_back(Paths.MeasurementCopyName);
    lines.push_back(Paths.SimulationFileName);
    lines.push_back(Paths.EtFileName);
    lines.push_back(Paths.SimSpectrumName);
    lines.push_back(Paths.DeconFileName);
    lines.push_back(IntText(Analysis.DeconStepCount));
    lines.push_back(Reals({Analysis.GridLow, Analysis.GridHigh, Analysis.GridStep}));
    lines.push_back(Reals(
        {Analysis.FinalSimStart, Analysis.FinalSimEnd, Analysis.FinalSimStep, Analysis.StdFwhm}));
    lines.push_back(std::string(1, Analysis.StdSlitChar) + Paths.StdSlitFileName);
    lines.push_back(Paths.ActionSpectrumDir);
    lines.push_back(CommandLine.IdSpecout);
    lines.push_back(Paths.O3CrossFileName);
}

void AddAnalysisGroups(std::vector<std::string>& lines) {
    const double* fit = Analysis.OzoneFitValues;
    lines.push_back(Reals({fit[0], fit[1], fit[2], fit[3]}));
    lines.push_back(Analysis.MeasurementYear);
    int length = std::clamp(Analysis.StepTableLength, 1, kMaxStepLevels);
    lines.push_back(IntText(length));
    std::string steps;
    for (int i = 1; i <= length; ++i) steps += Sci(StepTable.Steps[i]) + " ";
    lines.push_back(steps);
    lines.push_back(
        Reals({Analysis.StepRatioLow, Analysis.StepRatioHigh, Analysis.StepRatioFactor}));
    lines.push_back(Sci(Engine.SlitRangeFactor));
    int k = std::clamp(Qc.CriteriaCount, 1, kMaxCriteria);
    lines.push_back(IntText(k));
    for (int j = 1; j <= k; ++j)
        lines.push_back(Qc.CriterionName[j] + " " + Sci(Qc.CriterionDeviation[j]));
    lines.push_back(Reals({Analysis.ErK2, Analysis.ErK1, Analysis.ErHigh, Analysis.ErLow}));
    int n = std::clamp(Qc.SelectedWindowCount, 0, kMaxSelectedWindows);
    lines.push_back(IntText(n));
    for (int i = 1; i <= n; ++i) lines.push_back(IntText(Qc.SelectedWindows[i]));
    const long* t = Analysis.TimeCorrection;
    lines.push_back(Ints({t[0], t[1], t[2], t[3]}));
    lines.push_back(Paths.EfuvDefaultsName);
    lines.push_back(Paths.EfuvSubdir);
    lines.push_back(Paths.ShiftSubdir);
    lines.push_back(Paths.QaqcSubdir);
    lines.push_back(IntText(Qc.StartCriterion));
}

void AddQcGroups(std::vector<std::string>& lines) {
    lines.push_back(Reals({Analysis.ReservedValue, Analysis.SdShiftThreshold}));
    lines.push_back(Ints({Qc.Shift1MinWindows, Qc.Shift2MinWindows}));
    lines.push_back(Paths.QflagName);
    lines.push_back(Reals({Qc.Shift1Limits[1], Qc.Shift1Limits[2], Qc.Shift1Limits[3]}));
    lines.push_back(Reals({Qc.Shift2Limits[1], Qc.Shift2Limits[2], Qc.Shift2Limits[3]}));
    lines.push_back(Reals({Qc.StabilityLimits[1], Qc.StabilityLimits[2]}));
    lines.push_back(Reals({Qc.ShapeLimits[1], Qc.ShapeLimits[2], Qc.ShapeLimits[3]}));
    lines.push_back(
        Reals({Qc.EfuvPercentLimits[1], Qc.EfuvPercentLimits[2], Qc.EfuvPercentLimits[3]}));
    int z = std::clamp(Qc.ZenithRowCount, 1, kMaxZenithRows);
    lines.push_back(IntText(z));
    for (int r = 1; r <= z; ++r) {
        const double* row = Qc.ZenithTable[r];
        lines.push_back(Reals({row[0], row[1], row[2], row[3]}));
    }
    lines.push_back(Paths.SpikeCorrectionName);
    lines.push_back(Paths.SpikeSummaryName);
    lines.push_back(SwitchText(Analysis.SpikeDetectionOn));
    lines.push_back(SwitchText(Analysis.SpikeCorrectionOn));
    lines.push_back(Fixed(Analysis.SpikeCriterion, 10, 5) + " " +
                    IntW(Analysis.SpikeHalfWindow, 4));
    lines.push_back(Paths.StrucSubdir);
    lines.push_back(Fixed(Analysis.ReferenceWavelength, 10, 5) +
                    " wavelength used for check of irradiance level");
    for (int i = 1; i <= kTransmissionClasses; ++i)
        lines.push_back(Fixed(Qc.TransmissionThresholds[i], 5, 2));
    lines.push_back(Paths.TransSubdir);
    lines.push_back(Paths.TransName);
    lines.push_back(Paths.Et1nmFileName);
    for (int i = 1; i <= 2; ++i)
        lines.push_back(Fixed(Qc.QcIntervals[i][0], 7, 3) + " " +
                        Fixed(Qc.QcIntervals[i][1], 7, 3));
    std::string levels;
    for (int i = 1; i <= kIrradianceLevelCount; ++i)
        levels += Fixed(Qc.IrradianceLevels[i], 10, 7) + " ";
    lines.push_back(levels);
    for (int i = 1; i <= kScanVariationClasses; ++i)
        lines.push_back(Sci(Qc.ScanVariationThresholds[i]));
}

}  // namespace

namespace {

// Keeps the wavelength settings that the stages walk step by step within the
// fine grid (250 nm up to 40000 grid steps): the model grid, the final
// simulation range and the maximum shift.  Each change is logged.
void BoundWavelengthSettings(const std::string& name) {
    const double low = kReferenceGridStart;
    const double high = kReferenceGridStart + kMaxGridIndex * Analysis.GridStep;
    auto bound = [&](double& value, double lo, double hi, const char* what) {
        if (value >= lo && value <= hi) return;
        double kept = std::clamp(value, lo, hi);
        std::string text = name + ": " + what + " " + Fixed(value, 0, 3) + " outside " +
                           Fixed(lo, 0, 3) + ".." + Fixed(hi, 0, 3) + "; " + Fixed(kept, 0, 3) +
                           " used";
        LogLine(text);
        ConsoleLine(text);
        value = kept;
    };
    bound(Analysis.GridLow, low, high, "model grid start");
    bound(Analysis.GridHigh, low, high, "model grid end");
    bound(Analysis.FinalSimStart, low, high, "final simulation start");
    bound(Analysis.FinalSimEnd, low, high, "final simulation end");
    bound(Analysis.MaximumShift, -(high - low), high - low, "maximum shift");
}

}  // namespace

void ReadLongDefaults() {
    const std::string& name = CommandLine.DefaultsFile;
    if (!TextFileExists(name)) {
        ConsoleLine("Specified Default-file does NOT exist");
        ConsoleLine("Program TARNpelo reads internal defaults");
        LogLines({"Specified defaults for TARNpelo do not exist:", Paths.MainPath + name,
                  "Internal defaults used"});
        SetInternalDefaults();
        return;
    }
    SetInternalDefaults();
    if (name.find("tarnpelo.dfa") != std::string::npos) {
        ReadShortDefaults(name);
        Analysis.ShortDefaultsRead = true;
    } else {
        LogLine("Reads LONG defaults: " + name);
        LogLine("Reads LONG defaults: Na de regel naar beeldscherm");
        Analysis.ShortDefaultsRead = false;
        ReadLongFile(name);
    }
    Paths.DeconOutputName = Cut(Paths.DeconFileName, 30);
    BoundWavelengthSettings(name);
}

void WriteEffectiveDefaults() {
    Windows.Upper[1] = Windows.Lower[1] + Analysis.WindowWidth;
    std::vector<std::string> lines;
    lines.reserve(128);
    AddHeadLines(lines);
    AddAnalysisGroups(lines);
    AddQcGroups(lines);
    CreateWithLines(Paths.MainPath + kEffectiveDefaultsName, lines);
}

}  // namespace tarn
