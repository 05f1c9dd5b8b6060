#include "engine/formats/defaults_layout.h"

#include <algorithm>
#include <climits>
#include <initializer_list>

#include "engine/formats/constants.h"
#include "engine/formats/field_split.h"
#include "engine/formats/quality_table_layout.h"
#include "engine/formats/result_names.h"
#include "engine/formats/settings_text.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

using V = LongDefaultsValue;

constexpr int kLongHeadLines = 20;
constexpr int kLongGroups = 14;
constexpr int kShortHeadLines = 5;
constexpr size_t kWholeLine = std::string::npos;

// ---- Built-in set ----

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
const double kSteps[5] = {0, 0.2, 0.04, 0.02, 0.01};

void SetBuiltInPaths(PathsAndNames& p) {
    p.MainPath = AsDirectory("uvanalys");
    p.SecondPath = p.MainPath;
    p.ShiftRootPath = p.MainPath;
    p.RefDataPath = p.MainPath + AsDirectory("etoz");
    p.RefDataPath2 = p.RefDataPath;
    p.ActionSpectrumDir = p.RefDataPath;
    p.MeasurementCopyName = kMeasurementCopyName;
    p.SimulationFileName = "ozon_shi.";
    p.EtFileName = "kp320a3L.et";
    p.SimSpectrumName = "ozonsim.hsp";
    p.DeconFileName = "decon.hsp";
    p.DeconOutputName = "decon.hsp";
    p.O3CrossFileName = "o3cross.wgt";
    p.StdSlitFileName = "";
    p.EfuvDefaultsName = kEfuvDefaultsName;
    p.EfuvSubdir = AsDirectory(kEfuvSubdirectory);
    p.ShiftSubdir = AsDirectory(kShiftSubdirectory);
    p.QaqcSubdir = AsDirectory(kQaqcSubdirectory);
    p.QflagName = "Qflag";
    p.SpikeCorrectionName = "SPQ";
    p.SpikeSummaryName = "SPD";
    p.StrucSubdir = AsDirectory(kStructureSubdirectory);
    p.TransSubdir = AsDirectory(kTransmissionSubdirectory);
    p.TransName = "T";
    p.Et1nmFileName = "kp320a3L.1nm";
}

void SetBuiltInAnalysis(AnalysisSettings& a, double slitRangeFactor) {
    a.Latitude = 45.8138;
    a.Longitude = 8.6266;
    a.WindowMode = 1;
    a.FirstWindowLower = 290.0;
    a.WindowWidth = 16.0;
    a.WindowStep = 1.0;
    a.MaximumShift = 0.9;
    a.EtShift = 0.0;
    a.O3Shift = 0.0;
    a.DeconStepCount = 9;
    a.GridLow = 285.0;
    a.GridHigh = 410.0;
    a.GridStep = 0.01;
    a.FinalSimStart = 290.0;
    a.FinalSimEnd = 400.0;
    a.FinalSimStep = 0.5;
    a.StdFwhm = 1.0;
    a.StdSlitChar = '0';
    a.OzoneFitValues[0] = 0.0;
    a.OzoneFitValues[1] = 0.5;
    a.OzoneFitValues[2] = 0.01;
    a.OzoneFitValues[3] = 0.12;
    a.MeasurementYear = "1998";
    a.StepTableLength = 3;
    a.StepRatioLow = 50.0;
    a.StepRatioHigh = 100.0;
    a.StepRatioFactor = 0.1;
    a.ErK2 = 3.5;
    a.ErK1 = 1.1;
    a.ErHigh = 0.06;
    a.ErLow = 0.025;
    for (long& t : a.TimeCorrection) t = 0;
    a.ReservedValue = 0.05;
    a.SdShiftThreshold = 0.02;
    a.SpikeDetectionOn = true;
    a.SpikeCorrectionOn = false;
    a.SpikeCriterion = 2.0;
    a.SpikeHalfWindow = 5;
    a.ReferenceWavelength = 310.0;
    a.GridMargin = GridMarginFor(slitRangeFactor, kDefaultsMarginWidth, a.MaximumShift);
}

void SetBuiltInQcTables(QcTables& q) {
    q.CriteriaCount = kMaxCriteria;
    for (int j = 0; j <= kMaxCriteria; ++j) {
        q.CriterionName[j] = kCriterionNames[j];
        q.CriterionDeviation[j] = kCriterionDeviations[j];
    }
    q.StartCriterion = 2;
    q.StartRunLength = 5;
    q.SelectedWindowCount = 6;
    for (int i = 0; i < 6; ++i) q.SelectedWindows[i + 1] = kSelectedWindows[i];
    q.Shift1MinWindows = 5;
    q.Shift2MinWindows = 5;
    const double shiftLimits[4] = {0, 0.1, 0.2, 0.4};
    const double shapeLimits[4] = {0, 10, 15, 20};
    const double efuvLimits[4] = {0, 3, 6, 12};
    for (int i = 0; i < 4; ++i) {
        q.Shift1Limits[i] = shiftLimits[i];
        q.Shift2Limits[i] = shiftLimits[i];
        q.ShapeLimits[i] = shapeLimits[i];
        q.EfuvPercentLimits[i] = efuvLimits[i];
    }
    q.StabilityLimits[1] = 3;
    q.StabilityLimits[2] = 5;
    q.ZenithRowCount = 8;
    for (int r = 1; r <= 8; ++r)
        for (int c = 0; c < 4; ++c) q.ZenithTable[r][c] = kZenithRows[r - 1][c];
    for (int i = 1; i <= kTransmissionClasses; ++i) {
        q.TransmissionThresholds[i] = kTransmissionThresholds[i];
        q.TransmissionLabels[i] = PadRight(kTransmissionLabels[i], 30);
    }
    for (int i = 1; i <= kScanVariationClasses; ++i) {
        q.ScanVariationThresholds[i] = kScanVariationThresholds[i];
        q.ScanVariationLabels[i] = PadRight(kScanVariationLabels[i], 30);
    }
    q.QcIntervals[1][0] = 300.0;
    q.QcIntervals[1][1] = 325.0;
    q.QcIntervals[2][0] = 325.0;
    q.QcIntervals[2][1] = 400.0;
    const double levels[5] = {0, 0.0001, 0.0005, 0.0015, 0.005};
    for (int i = 0; i <= kIrradianceLevelCount; ++i) q.IrradianceLevels[i] = levels[i];
    for (bool& s : q.ClassFileSwitches) s = true;
}

// Windows 1..WindowCount as a regular series from the first lower bound, width and step.
void BuildRegularWindows(DefaultsSettings& s) {
    const AnalysisSettings& a = s.Analysis;
    for (int i = 1; i <= s.WindowCount; ++i) {
        s.WindowLower[i] = a.FirstWindowLower + (i - 1) * a.WindowStep;
        s.WindowUpper[i] = s.WindowLower[i] + a.WindowWidth;
    }
}

// ---- The two sides of a layout ----

// How a line of reals is written: in the default real notation (Width 0) or
// as Width:Decimals, separated by one blank or each followed by one, then a
// trailing text.  Every form reads back as the values and the rest of the line.
struct NumberForm {
    int Width;
    int Decimals;
    bool BlankAfterEach;
    const char* Trailer;
};
constexpr NumberForm kSciForm{0, 0, false, ""};
constexpr NumberForm kTransmissionForm{5, 2, false, ""};
constexpr NumberForm kIntervalForm{7, 3, false, ""};
constexpr NumberForm kLevelsForm{10, 7, true, ""};
constexpr NumberForm kReferenceWavelengthForm{10, 5, false,
                                              " wavelength used for check of irradiance level"};

std::string FormattedNumbers(std::initializer_list<double*> values, const NumberForm& form) {
    std::string text;
    bool first = true;
    for (const double* v : values) {
        std::string number = form.Width == 0 ? Sci(*v) : Fixed(*v, form.Width, form.Decimals);
        text += form.BlankAfterEach ? number + " " : (first ? "" : " ") + number;
        first = false;
    }
    return text + form.Trailer;
}

// Reading side: takes each value from the file as the engine reads it, keeps
// counts within their tables, notes what it does not take as written and,
// for the locator, records the line each value starts on.
class LayoutReader {
  public:
    LayoutReader(TextIn& in, std::vector<DefaultsNote>& notes, int headLines, bool lenient,
                 int* marks)
        : m_in(in), m_notes(notes), m_headLines(headLines), m_lenient(lenient), m_marks(marks) {}

    // Before head line `index` (0-based): false, with a note, when the file has
    // ended; the long file names the line read last, the short one the index.
    bool Head(int index) {
        if (!m_in.Eof()) return true;
        int after = m_headLines == kLongHeadLines ? m_in.LineNumber() - 1 : index;
        Note(m_in.Name() + " ends after line " + IntText(after) + ", inside its first " +
                 IntText(m_headLines) + " lines; the missing settings keep their built-in values",
             false);
        return false;
    }
    // Before an optional group: true while the file has more bytes.
    bool More() const { return !m_in.Eof(); }

    void Numbers(V v, std::initializer_list<double*> values, const NumberForm&) {
        Mark(v);
        for (double* x : values) *x = Real();
        m_in.NextLine();
    }
    void Ints(V v, std::initializer_list<long*> values) {
        Mark(v);
        for (long* x : values) *x = Int();
        m_in.NextLine();
    }
    void Text(V v, std::string& text, size_t maxLength) {
        Mark(v);
        text = m_in.ReadText(maxLength);
    }
    void Directory(V v, std::string& path) {
        Mark(v);
        path = AsDirectory(m_in.ReadLine());
    }
    void Switch(V v, bool& on) {
        Mark(v);
        on = IsSwitchOn(m_in.ReadLine());
    }
    // A step or width read on the last line: taken when above 0, else `kept` stays.
    void KeepPositive(const std::string& what, double value, double& kept) {
        if (value > 0.0) {
            kept = value;
            return;
        }
        Note(Where() + what + " " + Fixed(value, 1, 4) + " not above 0; " + Fixed(kept, 1, 4) +
                 " kept",
             false);
    }

    // Window count and mode; the windows are rebuilt for the new count so that
    // lines the file does not reach keep the built-in series.
    long WindowCountLine(V v, DefaultsSettings& s) {
        Mark(v);
        long count = Int();
        s.Analysis.WindowMode = static_cast<int>(Int());
        m_in.NextLine();
        s.WindowCount = static_cast<int>(Clamped("window count", count, 1, kMaxWindows));
        BuildRegularWindows(s);
        return count;
    }
    // Mode 1: the regular series on one line; any other mode: one line per window.
    void WindowLines(V v, DefaultsSettings& s, long fileCount) {
        AnalysisSettings& a = s.Analysis;
        if (a.WindowMode == 1) {
            double first = 0, width = 0, step = 0;
            Numbers(v, {&first, &width, &step}, kSciForm);
            a.FirstWindowLower = first;
            KeepPositive("window width", width, a.WindowWidth);
            KeepPositive("window step", step, a.WindowStep);
            BuildRegularWindows(s);
            return;
        }
        Mark(v);
        long listed = std::max(0L, fileCount);
        for (long i = 1; i <= std::min<long>(listed, s.WindowCount) && !m_in.Eof(); ++i) {
            s.WindowLower[i] = Real();
            s.WindowUpper[i] = Real();
            m_in.NextLine();
        }
        a.FirstWindowLower = s.WindowLower[1];
        SkipSurplus(listed - s.WindowCount);
    }
    // The first offset, then the rest of the line converted as a whole (0
    // when it is empty or not a number).
    void ReferenceShiftLine(V v, double& et, double& o3) {
        Mark(v);
        et = Real();
        double value = 0.0;
        o3 = ParseRealTrimmed(m_in.ReadLine(), value) ? value : 0.0;
    }
    // Type character, directly followed by the slit-function file name.
    void SlitLine(V v, char& flag, std::string& name) {
        Mark(v);
        std::string text = m_in.ReadLine();
        flag = text.empty() ? ' ' : text[0];
        name = text.empty() ? std::string() : text.substr(1);
    }
    // Step count and step sizes.  A step of 0 or less keeps the built-in step
    // where there is one; otherwise the table ends before it.
    void StepGroup(DefaultsSettings& s) {
        Mark(V::StepCount);
        long fileCount = IntLine();
        int length = static_cast<int>(Clamped("shift step count", fileCount, 1, kMaxStepLevels));
        Mark(V::StepSizes);
        int usable = length;
        for (long i = 1; i <= fileCount; ++i) {
            if (i > length && m_in.Eof()) break;  // surplus values the file does not hold
            double step = Real();
            if (i > usable) continue;
            if (step > 0.0 || s.Steps[i] > 0.0) {
                KeepPositive("shift step " + IntText(i), step, s.Steps[i]);
            } else {
                Note(Where() + "shift step " + IntText(i) + " " + Fixed(step, 1, 4) +
                         " not above 0; " + IntText(i - 1) + " steps used",
                     false);
                usable = static_cast<int>(i - 1);
            }
        }
        m_in.NextLine();
        s.Analysis.StepTableLength = std::max(1, usable);
    }
    // A count line: the count kept within low..high; returns the file's count.
    long Count(V v, const char* what, int& count, int low, int high) {
        Mark(v);
        long fileCount = IntLine();
        count = static_cast<int>(Clamped(what, fileCount, low, high));
        return fileCount;
    }
    // A name of exactly five characters followed by a real; the real comes
    // from the next line when the rest of this one is blank.
    void NameAndReal(V v, std::string& name, double& value) {
        Mark(v);
        constexpr size_t kWidth = 5;
        std::string text = m_in.ReadLine();
        name = Cut(text, kWidth);
        std::string token = FirstToken(text.size() > kWidth ? text.substr(kWidth) : std::string());
        if (token.empty()) {
            value = Real();
            m_in.NextLine();
        } else if (!ParseReal(token, value)) {
            if (!m_lenient)
                throw RunTimeError("read number from", m_in.Name(), m_markLine,
                                   "invalid numeric format '" + token + "'");
            value = 0.0;
        }
    }
    // Reads past `count` surplus lines of a table, stopping at the end of the file.
    void SkipSurplus(long count) {
        for (long i = 0; i < count && !m_in.Eof(); ++i) m_in.NextLine();
    }
    void ClampedInt(V v, const char* what, int& value, int low, int high) {
        Mark(v);
        long number = IntLine();
        value = static_cast<int>(Clamped(what, number, low, high));
    }
    // Split line: fields 1-3, and field 4 only when the line has more than 3.
    void ErrorRatioLine(V v, AnalysisSettings& a) {
        Mark(v);
        std::string fields[kDefaultsSplitFields + 1];
        uint16_t count = SplitLine(fields);
        int taken = TakeField(fields, count, 1, a.ErK2) + TakeField(fields, count, 2, a.ErK1) +
                    TakeField(fields, count, 3, a.ErHigh);
        if (taken < 3) {
            Note(Where() + "error-ratio line holds " + IntText(taken) +
                     " of 3 numbers; the others keep their built-in values",
                 false);
        }
        double low = 0.0;
        if (count > 3 && TakeField(fields, count, 4, low) && low != 0.0) a.ErLow = low;
    }
    // Split line: field 1, and field 2 only when the line has more than 1.
    void ReservedLine(V v, double& reserved, double& sdShift) {
        Mark(v);
        std::string fields[kDefaultsSplitFields + 1];
        uint16_t count = SplitLine(fields);
        TakeField(fields, count, 1, reserved);
        if (count > 1) TakeField(fields, count, 2, sdShift);
    }
    void SpikeLine(V v, double& criterion, long& halfWindow) {
        Mark(v);
        criterion = Real();
        halfWindow = Int();
        m_in.NextLine();
    }

  private:
    void Mark(V v) {
        m_markLine = m_in.LineNumber();
        if (m_marks != nullptr && v != V::Count) m_marks[static_cast<int>(v)] = m_markLine - 1;
    }
    void Note(const std::string& text, bool onConsole) { m_notes.push_back({text, onConsole}); }
    // "<file> line <n>: " for the line the last value started on.
    std::string Where() const { return m_in.Name() + " line " + IntText(m_markLine) + ": "; }

    // A number the engine cannot read ends its run; the locator counts it as 0.
    double Real() {
        if (!m_lenient) return m_in.Real();
        double value = 0.0;
        return m_in.TryReal(value) ? value : 0.0;
    }
    long Int() {
        if (!m_lenient) return m_in.Int();
        long value = 0;
        return m_in.TryInt(value) ? value : 0;
    }
    long IntLine() {
        long value = Int();
        m_in.NextLine();
        return value;
    }
    // A count or index outside its table: one note, on the console as well.
    long Clamped(const char* what, long value, long low, long high) {
        long used = std::clamp(value, low, high);
        if (used != value) {
            Note(Where() + what + " " + IntText(value) + " outside " + IntText(low) + ".." +
                     IntText(high) + "; " + IntText(used) + " used",
                 true);
        }
        return used;
    }
    // Splits the whole line into at most kDefaultsSplitFields blank-separated
    // fields; surplus fields are dropped and noted.
    uint16_t SplitLine(std::string* fields) {
        uint16_t count = 0;
        unsigned dropped = SplitString(m_in.ReadLine(), fields, kDefaultsSplitFields, count, " ");
        if (dropped > 0) {
            long total = static_cast<long>(count) + dropped;
            Note(Where() + "field count " + IntText(total) + " outside 1.." +
                     IntText(kDefaultsSplitFields) + "; " + IntText(count) + " used",
                 true);
        }
        return count;
    }
    // Field `i` converted to a real when the line has it and it is a number;
    // otherwise `value` keeps the value it holds.
    static bool TakeField(const std::string* fields, uint16_t count, int i, double& value) {
        double v = 0.0;
        if (i > count || !ParseRealTrimmed(fields[i], v)) return false;
        value = v;
        return true;
    }
    // First token of `text` (characters up to a blank or control character).
    static std::string FirstToken(const std::string& text) {
        size_t start = 0;
        while (start < text.size() && static_cast<unsigned char>(text[start]) <= ' ') ++start;
        size_t end = start;
        while (end < text.size() && static_cast<unsigned char>(text[end]) > ' ') ++end;
        return text.substr(start, end - start);
    }

    TextIn& m_in;
    std::vector<DefaultsNote>& m_notes;
    int m_headLines;
    bool m_lenient;
    int* m_marks;
    int m_markLine = 1;
};

// Writing side: one line per value in the form of the layout's column for
// writing; records the index of each line for the layout.
class LayoutWriter {
  public:
    LayoutWriter(std::vector<std::string>& lines, int optionalGroups, int* marks)
        : m_lines(lines), m_optionalGroups(optionalGroups), m_marks(marks) {}

    bool Head(int) { return true; }
    bool More() { return m_optionalGroups-- > 0; }

    void Numbers(V v, std::initializer_list<double*> values, const NumberForm& form) {
        Add(v, FormattedNumbers(values, form));
    }
    void Ints(V v, std::initializer_list<long*> values) {
        std::string text;
        for (const long* x : values) text += (text.empty() ? "" : " ") + IntText(*x);
        Add(v, text);
    }
    void Text(V v, std::string& text, size_t) { Add(v, text); }
    void Directory(V v, std::string& path) { Add(v, path); }
    void Switch(V v, bool& on) { Add(v, SwitchText(on)); }
    void KeepPositive(const std::string&, double, double&) {}
    // Always mode 1: an explicit list is written as the regular series in force.
    long WindowCountLine(V v, DefaultsSettings& s) {
        Add(v, IntText(s.WindowCount) + " 1");
        return s.WindowCount;
    }
    void WindowLines(V v, DefaultsSettings& s, long) {
        const AnalysisSettings& a = s.Analysis;
        Add(v, Reals({a.FirstWindowLower, a.WindowWidth, a.WindowStep}));
    }
    void ReferenceShiftLine(V v, double& et, double& o3) { Add(v, Reals({et, o3})); }
    void SlitLine(V v, char& flag, std::string& name) { Add(v, std::string(1, flag) + name); }
    // The first StepTableLength step sizes, each followed by a blank.
    void StepGroup(DefaultsSettings& s) {
        int length = std::clamp(s.Analysis.StepTableLength, 1, kMaxStepLevels);
        Add(V::StepCount, IntText(length));
        std::string steps;
        for (int i = 1; i <= length; ++i) steps += Sci(s.Steps[i]) + " ";
        Add(V::StepSizes, steps);
    }
    long Count(V v, const char*, int& count, int low, int high) {
        count = std::clamp(count, low, high);
        Add(v, IntText(count));
        return count;
    }
    void NameAndReal(V v, std::string& name, double& value) { Add(v, name + " " + Sci(value)); }
    void SkipSurplus(long) {}
    void ClampedInt(V v, const char*, int& value, int, int) { Add(v, IntText(value)); }
    void ErrorRatioLine(V v, AnalysisSettings& a) {
        Add(v, Reals({a.ErK2, a.ErK1, a.ErHigh, a.ErLow}));
    }
    void ReservedLine(V v, double& reserved, double& sdShift) {
        Add(v, Reals({reserved, sdShift}));
    }
    void SpikeLine(V v, double& criterion, long& halfWindow) {
        Add(v, Fixed(criterion, 10, 5) + " " + IntW(halfWindow, 4));
    }

  private:
    void Add(V v, const std::string& text) {
        if (m_marks != nullptr && v != V::Count)
            m_marks[static_cast<int>(v)] = static_cast<int>(m_lines.size());
        m_lines.push_back(text);
    }

    std::vector<std::string>& m_lines;
    int m_optionalGroups;
    int* m_marks;
};

// ---- The long layout: one description for both sides ----

// The main path, with the separator at its end; the second path and the
// shift root path are the same directory.
template <class Side>
void MainPathLine(Side& side, PathsAndNames& p) {
    side.Directory(V::MainPath, p.MainPath);
    p.SecondPath = p.MainPath;
    p.ShiftRootPath = p.MainPath;
}

// The head's lines of a name or directory used as written: index, value,
// field and greatest length.
struct HeadTextLine {
    int Index;
    V Value;
    std::string PathsAndNames::*Field;
    size_t MaxLength;
};
const HeadTextLine kHeadTextLines[] = {
    {7, V::ReferenceDirectory, &PathsAndNames::RefDataPath, kWholeLine},
    {8, V::MeasurementCopyName, &PathsAndNames::MeasurementCopyName, 30},
    {9, V::SimulationName, &PathsAndNames::SimulationFileName, 50},
    {10, V::EtFileName, &PathsAndNames::EtFileName, 50},
    {11, V::SimulatedSpectrumName, &PathsAndNames::SimSpectrumName, 50},
    {12, V::DeconvolutionName, &PathsAndNames::DeconFileName, 50},
    {19, V::O3CrossSectionName, &PathsAndNames::O3CrossFileName, 50}};

template <class Side>
void LongHeadLine(Side& side, DefaultsSettings& s, int index, long& listed) {
    AnalysisSettings& a = s.Analysis;
    PathsAndNames& p = s.Paths;
    for (const HeadTextLine& line : kHeadTextLines) {
        if (line.Index != index) continue;
        side.Text(line.Value, p.*line.Field, line.MaxLength);
        return;
    }
    switch (index) {
        case 0:
            side.Numbers(V::Location, {&a.Latitude, &a.Longitude}, kSciForm);
            break;
        case 1:
            listed = side.WindowCountLine(V::WindowCount, s);
            break;
        case 2:
            side.Numbers(V::OzoneFitWindow, {&s.WindowLower[0], &s.WindowUpper[0]}, kSciForm);
            break;
        case 3:
            side.WindowLines(V::WindowSeries, s, listed);
            break;
        case 4:
            side.Numbers(V::MaximumShift, {&a.MaximumShift}, kSciForm);
            break;
        case 5:
            side.ReferenceShiftLine(V::ReferenceShifts, a.EtShift, a.O3Shift);
            break;
        case 6:
            MainPathLine(side, p);
            break;
        case 13:
            side.Ints(V::DeconvolutionSteps, {&a.DeconStepCount});
            break;
        case 14: {
            double step = a.GridStep;
            side.Numbers(V::ModelGrid, {&a.GridLow, &a.GridHigh, &step}, kSciForm);
            side.KeepPositive("grid step", step, a.GridStep);
            break;
        }
        case 15: {
            double step = a.FinalSimStep;
            side.Numbers(V::FinalSimulation, {&a.FinalSimStart, &a.FinalSimEnd, &step, &a.StdFwhm},
                         kSciForm);
            side.KeepPositive("final simulation step", step, a.FinalSimStep);
            break;
        }
        case 16:
            side.SlitLine(V::StandardSlit, a.StdSlitChar, p.StdSlitFileName);
            break;
        case 17:
            side.Text(V::ActionSpectrumDirectory, p.ActionSpectrumDir, kWholeLine);
            p.RefDataPath2 = p.ActionSpectrumDir;
            break;
        default:
            side.Text(V::ResultCode, s.ResultCode, 1);
            break;
    }
}

// The required head; false when the file ends inside it (the lines read so
// far are taken, the rest keep their values).
template <class Side>
bool VisitLongHead(Side& side, DefaultsSettings& s) {
    long listed = s.WindowCount;
    for (int index = 0; index < kLongHeadLines; ++index) {
        if (!side.Head(index)) return false;
        LongHeadLine(side, s, index, listed);
    }
    return true;
}

// Group 10: the QC flag settings and the zenith-wavelength table.
template <class Side>
void QcFlagGroup(Side& side, DefaultsSettings& s) {
    AnalysisSettings& a = s.Analysis;
    QcTables& q = s.Qc;
    side.ReservedLine(V::SdShiftThreshold, a.ReservedValue, a.SdShiftThreshold);
    side.Ints(V::MinimumWindows, {&q.Shift1MinWindows, &q.Shift2MinWindows});
    side.Text(V::QflagName, s.Paths.QflagName, 5);
    double* l1 = q.Shift1Limits;
    double* l2 = q.Shift2Limits;
    side.Numbers(V::Shift1Limits, {&l1[1], &l1[2], &l1[3]}, kSciForm);
    side.Numbers(V::Shift2Limits, {&l2[1], &l2[2], &l2[3]}, kSciForm);
    side.Numbers(V::StabilityLimits, {&q.StabilityLimits[1], &q.StabilityLimits[2]}, kSciForm);
    double* shape = q.ShapeLimits;
    double* efuv = q.EfuvPercentLimits;
    side.Numbers(V::ShapeLimits, {&shape[1], &shape[2], &shape[3]}, kSciForm);
    side.Numbers(V::EfuvPercentLimits, {&efuv[1], &efuv[2], &efuv[3]}, kSciForm);
    long rows =
        side.Count(V::ZenithRowCount, "zenith row count", q.ZenithRowCount, 1, kMaxZenithRows);
    for (long r = 1; r <= std::min<long>(rows, q.ZenithRowCount); ++r) {
        double* row = q.ZenithTable[r];
        side.Numbers(r == 1 ? V::FirstZenithRow : V::Count, {&row[0], &row[1], &row[2], &row[3]},
                     kSciForm);
    }
    side.SkipSurplus(rows - q.ZenithRowCount);
}

// Group 11: spike settings, structure sub-directory, reference wavelength.
template <class Side>
void SpikeGroup(Side& side, DefaultsSettings& s) {
    AnalysisSettings& a = s.Analysis;
    PathsAndNames& p = s.Paths;
    side.Text(V::SpikeCorrectionName, p.SpikeCorrectionName, kWholeLine);
    side.Text(V::SpikeSummaryName, p.SpikeSummaryName, kWholeLine);
    side.Switch(V::SpikeDetection, a.SpikeDetectionOn);
    side.Switch(V::SpikeCorrection, a.SpikeCorrectionOn);
    side.SpikeLine(V::SpikeCriterion, a.SpikeCriterion, a.SpikeHalfWindow);
    side.Text(V::StructureSubdirectory, p.StrucSubdir, 30);
    side.Numbers(V::ReferenceWavelength, {&a.ReferenceWavelength}, kReferenceWavelengthForm);
}

// Optional group `group` (1..14).
template <class Side>
void LongGroup(Side& side, DefaultsSettings& s, int group) {
    AnalysisSettings& a = s.Analysis;
    PathsAndNames& p = s.Paths;
    QcTables& q = s.Qc;
    switch (group) {
        case 1: {
            double* fit = a.OzoneFitValues;
            side.Numbers(V::OzoneFitValues, {&fit[0], &fit[1], &fit[2], &fit[3]}, kSciForm);
            break;
        }
        case 2:
            side.Text(V::MeasurementYear, a.MeasurementYear, 4);
            break;
        case 3:
            side.StepGroup(s);
            side.Numbers(V::StepRatios, {&a.StepRatioLow, &a.StepRatioHigh, &a.StepRatioFactor},
                         kSciForm);
            side.Numbers(V::SlitRangeFactor, {&s.SlitRangeFactor}, kSciForm);
            a.GridMargin = GridMarginFor(s.SlitRangeFactor, kDefaultsMarginWidth, a.MaximumShift);
            break;
        case 4: {
            long listed = side.Count(V::CriteriaCount, "structure criterion count", q.CriteriaCount,
                                     1, kMaxCriteria);
            for (long j = 1; j <= std::min<long>(listed, q.CriteriaCount); ++j) {
                side.NameAndReal(j == 1 ? V::FirstCriterion : V::Count, q.CriterionName[j],
                                 q.CriterionDeviation[j]);
            }
            side.SkipSurplus(listed - q.CriteriaCount);
            break;
        }
        case 5:
            side.ErrorRatioLine(V::ErrorRatios, a);
            break;
        case 6: {
            long listed = side.Count(V::SelectedWindowCount, "selected window count",
                                     q.SelectedWindowCount, 0, kMaxSelectedWindows);
            for (long i = 1; i <= std::min<long>(listed, q.SelectedWindowCount); ++i) {
                side.ClampedInt(i == 1 ? V::FirstSelectedWindow : V::Count, "window number",
                                q.SelectedWindows[i], 1, kMaxWindows);
            }
            side.SkipSurplus(listed - q.SelectedWindowCount);
            break;
        }
        case 7: {
            long* t = a.TimeCorrection;
            side.Ints(V::TimeCorrection, {&t[0], &t[1], &t[2], &t[3]});
            break;
        }
        case 8:
            side.Text(V::EfuvDefaultsName, p.EfuvDefaultsName, 40);
            side.Text(V::EfuvSubdirectory, p.EfuvSubdir, 40);
            side.Text(V::ShiftSubdirectory, p.ShiftSubdir, 50);
            side.Text(V::QcSubdirectory, p.QaqcSubdir, 30);
            break;
        case 9: {
            long start = q.StartCriterion;
            side.Ints(V::StartCriterion, {&start});
            q.StartCriterion = static_cast<int>(start);
            break;
        }
        case 10:
            QcFlagGroup(side, s);
            break;
        case 11:
            SpikeGroup(side, s);
            break;
        case 12:
            for (int i = 1; i <= kTransmissionClasses; ++i) {
                side.Numbers(i == 1 ? V::FirstTransmissionClass : V::Count,
                             {&q.TransmissionThresholds[i]}, kTransmissionForm);
            }
            side.Text(V::TransmissionSubdirectory, p.TransSubdir, 30);
            side.Text(V::TransmissionName, p.TransName, 1);
            side.Text(V::Et1nmFileName, p.Et1nmFileName, 30);
            break;
        case 13: {
            double* l = q.IrradianceLevels;
            side.Numbers(V::QcInterval1, {&q.QcIntervals[1][0], &q.QcIntervals[1][1]},
                         kIntervalForm);
            side.Numbers(V::QcInterval2, {&q.QcIntervals[2][0], &q.QcIntervals[2][1]},
                         kIntervalForm);
            side.Numbers(V::IrradianceLevels, {&l[1], &l[2], &l[3], &l[4]}, kLevelsForm);
            break;
        }
        default:
            for (int i = 1; i <= kScanVariationClasses; ++i) {
                side.Numbers(i == 1 ? V::FirstScanVariationClass : V::Count,
                             {&q.ScanVariationThresholds[i]}, kSciForm);
            }
            break;
    }
}

// Groups 1 to 14, each only while the file has more lines.
template <class Side>
void VisitLongGroups(Side& side, DefaultsSettings& s) {
    for (int group = 1; group <= kLongGroups && side.More(); ++group) LongGroup(side, s, group);
}

// ---- The short layout ----

template <class Side>
void ShortHeadLine(Side& side, DefaultsSettings& s, int index) {
    AnalysisSettings& a = s.Analysis;
    PathsAndNames& p = s.Paths;
    switch (index) {
        case 0:
            side.Text(V::MeasurementYear, a.MeasurementYear, 4);
            break;
        case 1:
            side.Numbers(V::Location, {&a.Longitude, &a.Latitude}, kSciForm);
            break;
        case 2:
            side.Numbers(V::MaximumShift, {&a.MaximumShift}, kSciForm);
            break;
        case 3:
            MainPathLine(side, p);
            break;
        default:
            side.Text(V::ReferenceDirectory, p.RefDataPath, kWholeLine);
            p.RefDataPath2 = p.RefDataPath;
            p.ActionSpectrumDir = p.RefDataPath;
            break;
    }
}

template <class Side>
void VisitShort(Side& side, DefaultsSettings& s) {
    for (int index = 0; index < kShortHeadLines; ++index) {
        if (!side.Head(index)) return;
        ShortHeadLine(side, s, index);
    }
    AnalysisSettings& a = s.Analysis;
    long* t = a.TimeCorrection;
    if (side.More()) side.Ints(V::TimeCorrection, {&t[0], &t[1], &t[2], &t[3]});
    if (side.More()) side.SlitLine(V::StandardSlit, a.StdSlitChar, s.Paths.StdSlitFileName);
}

// The counts in force after a read or a write of `s`.
void SetCounts(LongDefaultsLayout& layout, const DefaultsSettings& s) {
    layout.WindowCount = s.WindowCount;
    layout.WindowMode = s.Analysis.WindowMode;
    layout.StepTableLength = std::clamp(s.Analysis.StepTableLength, 1, kMaxStepLevels);
    CriteriaInForce criteria = CriteriaCountsInForce(s.Qc.CriteriaCount, s.Qc.StartCriterion);
    layout.CriteriaCount = criteria.Count;
    layout.StartCriterion = criteria.Start;
    layout.SelectedWindowCount = std::clamp(s.Qc.SelectedWindowCount, 0, kMaxSelectedWindows);
    layout.ZenithRowCount = std::clamp(s.Qc.ZenithRowCount, 1, kMaxZenithRows);
}

LongDefaultsLayout EmptyLayout() {
    LongDefaultsLayout layout{};
    std::fill(layout.Lines, layout.Lines + kLongDefaultsValueCount, kNotInFile);
    return layout;
}

}  // namespace

DefaultsSettings BuiltInDefaults() {
    DefaultsSettings s{};
    s.SlitRangeFactor = 2.0;
    SetBuiltInPaths(s.Paths);
    SetBuiltInAnalysis(s.Analysis, s.SlitRangeFactor);
    SetBuiltInQcTables(s.Qc);
    s.WindowCount = 300;
    // The ozone-fit window has no bounds of its own in the built-in set; the
    // fit runs over 305..330 nm unless a long defaults file gives it.
    s.WindowLower[0] = 305.0;
    s.WindowUpper[0] = 330.0;
    BuildRegularWindows(s);
    std::copy(kSteps, kSteps + 5, s.Steps);
    s.ResultCode = "1";
    return s;
}

void ReadLongDefaultsText(TextIn& in, DefaultsSettings& settings,
                          std::vector<DefaultsNote>& notes) {
    LayoutReader reader(in, notes, kLongHeadLines, false, nullptr);
    if (VisitLongHead(reader, settings)) VisitLongGroups(reader, settings);
}

std::vector<std::string> LongDefaultsLines(const DefaultsSettings& settings,
                                           LongDefaultsLayout& layout) {
    DefaultsSettings s = settings;
    std::vector<std::string> lines;
    lines.reserve(128);
    layout = EmptyLayout();
    LayoutWriter writer(lines, INT_MAX, layout.Lines);
    VisitLongHead(writer, s);
    VisitLongGroups(writer, s);
    SetCounts(layout, s);
    layout.WindowMode = 1;
    return lines;
}

std::vector<std::string> LongDefaultsLines(const DefaultsSettings& settings) {
    LongDefaultsLayout layout;
    return LongDefaultsLines(settings, layout);
}

LongDefaultsLayout LocateLongDefaults(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    TextIn in;
    in.OpenText("long defaults", text);
    DefaultsSettings s = BuiltInDefaults();
    std::vector<DefaultsNote> notes;
    LongDefaultsLayout layout = EmptyLayout();
    LayoutReader reader(in, notes, kLongHeadLines, true, layout.Lines);
    if (VisitLongHead(reader, s)) VisitLongGroups(reader, s);
    const int count = static_cast<int>(std::min<size_t>(lines.size(), INT_MAX));
    for (int& line : layout.Lines)
        if (line >= count) line = kNotInFile;
    SetCounts(layout, s);
    return layout;
}

std::vector<LineChange> LongDefaultsEdit(
    const LongDefaultsLayout& layout,
    const std::vector<std::pair<LongDefaultsValue, std::string>>& values) {
    std::vector<const std::string*> texts(kLongDefaultsValueCount, nullptr);
    for (const auto& [value, text] : values)
        if (texts[static_cast<int>(value)] == nullptr) texts[static_cast<int>(value)] = &text;
    std::vector<LineChange> changes;
    int next = kNotInFile;  // the line of the next value the file holds
    for (int value = kLongDefaultsValueCount - 1; value >= 0; --value) {
        const int first = layout.Lines[value];
        if (first == kNotInFile) continue;
        if (texts[value] != nullptr)
            changes.push_back({first, next == kNotInFile ? first + 1 : next, *texts[value]});
        next = first;
    }
    return changes;
}

void ReadShortDefaultsText(TextIn& in, DefaultsSettings& settings,
                           std::vector<DefaultsNote>& notes) {
    LayoutReader reader(in, notes, kShortHeadLines, false, nullptr);
    VisitShort(reader, settings);
}

std::vector<std::string> ShortDefaultsLines(const DefaultsSettings& settings) {
    DefaultsSettings s = settings;
    std::vector<std::string> lines;
    LayoutWriter writer(lines, 1, nullptr);
    VisitShort(writer, s);
    return lines;
}

}  // namespace tarn
