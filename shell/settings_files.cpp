#include "shell/settings_files.h"

#include <algorithm>
#include <map>
#include <vector>

#include "engine/constants.h"
#include "engine/defaults_layout.h"
#include "engine/instrument_layout.h"
#include "engine/output_spec.h"
#include "gui-common/line_list.h"
#include "platform/text_format.h"
#include "shell/defaults_upkeep.h"
#include "shell/field_values.h"
#include "shell/paths_del.h"

namespace tarn::tarncall {

namespace {

using gui::LineList;
using gui::ListEdit;
using V = LongDefaultsValue;

constexpr NumberShape kLocationShape{10, 5};
constexpr NumberShape kDaysShape{3, 0};
constexpr NumberShape kTimeShape{2, 0};
constexpr NumberShape kRangeShape{6, 2};
constexpr NumberShape kFwhmShape{6, 3};
constexpr int kWindowCountWidth = 4;
constexpr size_t kYearLength = 4;  // the engine takes the year's first four characters

// The labels that name the numeric edits in a refusal.
constexpr const char kYearName[] = "YEAR";
constexpr const char kLatLongName[] = "Location Lat Long";
constexpr const char kTimeShiftName[] = "Correction of time to UT";
constexpr const char kHeaderCountName[] = "nr headerlines";
constexpr const char kRangeName[] = "Wavelength range+ step";
constexpr const char kHalfWidthName[] = "nr.step";
constexpr const char kFwhmName[] = "Full Width at Half Maximum";
constexpr const char kIrradianceName[] = "Correction of irradiance";
constexpr const char kOzoneFitName[] = "Shift interval for ozone fit";
constexpr const char kShiftName[] = "Start wavelength, interval, step";
constexpr const char kWindowCountName[] = "nr interv.";
constexpr const char kOutputName[] = "OUTPUT specification";

// The lines of a long defaults file with the line of each value, found by the
// counts in the file.  A value the file does not hold has the list's length as
// its line, so that reading or replacing it raises the list's report.
//
// A value spans the lines from its own to the next value's: more than one
// where the engine reads its numbers on from the following lines (too few on
// its own line, blank lines before them) or where an explicit window list
// follows the window series; none where it holds no line of its own (a list
// of no windows).  A replacement puts its one line in place of the whole span
// (or before the next value's line), so that every later value stays on the
// line the engine reads it from.  Replacements reach the list at Commit(),
// which the destructor calls: an edit that ends early keeps those made so far.
class LongLines {
  public:
    explicit LongLines(LineList& lines)
        : m_lines(lines), m_layout(LocateLongDefaults(lines.Lines())) {}
    ~LongLines() { Commit(); }
    LongLines(const LongLines&) = delete;
    LongLines& operator=(const LongLines&) = delete;

    bool Has(V value) const { return m_layout.LineOf(value) != kNotInFile; }
    int Index(V value) const { return Has(value) ? m_layout.LineOf(value) : m_lines.Count(); }
    const std::string& Line(V value) const {
        const auto replaced = m_replaced.find(static_cast<int>(value));
        return replaced != m_replaced.end() ? replaced->second : m_lines.Line(Index(value));
    }
    void Replace(V value, const std::string& text) {
        if (!Has(value)) m_lines.Replace(Index(value), text);  // raises the list's report
        m_replaced[static_cast<int>(value)] = text;
    }
    std::vector<std::string> Fields(V value) const { return SplitFields(Line(value)); }

    // Puts the replacements into the list.
    void Commit() {
        if (m_replaced.empty()) return;
        const std::vector<std::string>& old = m_lines.Lines();
        std::vector<std::string> lines;
        size_t next = 0;  // the first old line not yet placed
        // Values in file order: their spans follow one another.
        for (const auto& [value, text] : m_replaced) {
            const size_t start = static_cast<size_t>(m_layout.Lines[value]);
            while (next < start) lines.push_back(old[next++]);
            lines.push_back(text);
            next = std::max(next, SpanEnd(value));
        }
        while (next < old.size()) lines.push_back(old[next++]);
        m_replaced.clear();
        m_lines.Clear();
        for (std::string& line : lines) m_lines.Append(std::move(line));
    }

  private:
    // The line after the span of the value `value` that the file holds: the
    // line of the next value it holds, else the line after its own.
    size_t SpanEnd(int value) const {
        for (int later = value + 1; later < kLongDefaultsValueCount; ++later)
            if (m_layout.Lines[later] != kNotInFile)
                return static_cast<size_t>(m_layout.Lines[later]);
        return static_cast<size_t>(m_layout.Lines[value]) + 1;
    }

    LineList& m_lines;
    LongDefaultsLayout m_layout;
    std::map<int, std::string> m_replaced;  // by value, in file order
};

// The numbers of a numeric edit: exactly `count` fields, each a number (a
// whole number when `whole`).  Otherwise the refusal naming the edit.
std::vector<double> EditNumbers(const char* name, const std::string& text, size_t count,
                                bool whole) {
    const std::vector<std::string> fields = SplitFields(text);
    bool ok = fields.size() == count;
    std::vector<double> values;
    for (const std::string& field : fields) {
        double value = 0.0;
        long integer = 0;
        ok = ok && (whole ? ParseInt(field, integer) : ParseReal(field, value));
        values.push_back(whole ? static_cast<double>(integer) : value);
    }
    if (ok) return values;
    const std::string what = count == 1 ? std::string(whole ? "a whole number" : "a number")
                                        : IntText(static_cast<long long>(count)) +
                                              (whole ? " whole numbers" : " numbers");
    throw SettingsInputError(std::string(name) + ": " + what + " expected, not '" + text +
                             "'; nothing written");
}

// The first field of a value's line as a number; raises naming the value.
double FirstNumber(const LongLines& lines, V value, const std::string& file, const char* what) {
    const std::vector<std::string> fields = lines.Fields(value);
    double number = 0.0;
    if (!fields.empty() && ParseReal(fields[0], number)) return number;
    throw std::runtime_error("Cannot read " + std::string(what) + " on line index " +
                             IntText(lines.Index(value)) + " of '" + file + "': '" +
                             lines.Line(value) + "' holds no number");
}

// The header count of an instrument file's line 1: the text before
// "no_id_met", without the blanks at its end.
std::string HeaderCountOnly(const std::string& line) {
    std::string count = line.substr(0, line.find(kNoIdMetWord));
    count.erase(count.find_last_not_of(' ') + 1);
    return count;
}

bool SlitFileFlag(const std::string& line) {
    return !line.empty() && line[0] == '1';
}

// The first field rounded to a whole number, right-aligned in 4 characters.
std::string WindowCountText(const std::vector<std::string>& fields) {
    double count = 0.0;
    if (fields.empty()) return std::string();
    if (!ParseReal(fields[0], count)) return fields[0];
    return IntW(RoundEven(count), kWindowCountWidth);
}

// ASCII letters compared without regard to case.
bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

}  // namespace

std::string OpenLongDefaults(const std::string& defaultsFile, const std::string& mainPathText,
                             MainInstrumentTexts& main, EtQaTexts& etqa, bool& directoryMissing) {
    // An empty name would save the template over itself.
    if (defaultsFile.empty()) throw std::runtime_error("No long defaults file is named");
    std::string source = kEffectiveDefaultsName;
    if (FileExists(defaultsFile)) {
        MergeDefaultsWithTemplate(defaultsFile, mainPathText);
        source = defaultsFile;
    }
    const std::string mainPath = MainPathInForce(mainPathText, directoryMissing);
    ListEdit edit(source, defaultsFile);
    LongLines lines(edit.List());
    lines.Replace(V::MainPath, mainPath);
    main.Year = lines.Line(V::MeasurementYear);
    main.LatLong =
        ShapedFields(lines.Fields(V::Location), {kLocationShape, kLocationShape}, "     ");
    main.TimeShift = lines.Has(V::TimeCorrection)
                         ? ShapedFields(lines.Fields(V::TimeCorrection),
                                        {kDaysShape, kTimeShape, kTimeShape, kTimeShape}, "  ")
                         : kNoTimeCorrectionText;
    etqa.EtPath = lines.Line(V::ReferenceDirectory);
    etqa.EtSpectrum = lines.Line(V::EtFileName);
    etqa.O3Cross = lines.Line(V::O3CrossSectionName);
    etqa.Et1nm = lines.Has(V::Et1nmFileName) ? lines.Line(V::Et1nmFileName) : kNotUsedText;
    lines.Commit();
    edit.Save();
    return mainPath;
}

std::string InstrumentFileOf(const std::string& mainPath, const std::string& id) {
    return InstrumentDefaultsPath(NormalizeDirectory(mainPath), id);
}

void ReadInstrumentTexts(const std::string& mainPath, const std::string& id,
                         MainInstrumentTexts& main) {
    const std::string path = InstrumentFileOf(mainPath, id);
    if (!FileExists(path)) WriteDefaultInstrumentDefaults(path, id);
    LineList lines;
    lines.Load(path);
    const std::string& header = lines.Line(kInstrumentHeaderCount);
    main.HeaderCount = HeaderCountOnly(header);
    main.DataPath = MeasurementDirectoryOf(header, lines.Line(kInstrumentDirectory), id);
    main.Extension = lines.Line(kInstrumentExtension);
    main.Range = ShapedFields(SplitFields(lines.Line(kInstrumentRange)),
                              {kRangeShape, kRangeShape, kRangeShape}, "   ");
    main.HalfWidth = lines.Line(kInstrumentHalfWidth);
    main.Fwhm = ShapedFields(SplitFields(lines.Line(kInstrumentFwhm)), {kFwhmShape}, "");
    main.SlitAvailable = SlitFileFlag(lines.Line(kInstrumentSlitChar));
    main.IrradianceFactor = lines.Count() > kInstrumentIrradianceFactor
                                ? lines.Line(kInstrumentIrradianceFactor)
                                : kNoIrradianceFactorText;
}

void ReloadMainInstrumentTexts(const std::string& defaultsFile, const std::string& id,
                               MainInstrumentTexts& main) {
    LineList defaults;
    defaults.Load(defaultsFile);
    const LongLines lines(defaults);
    const std::string mainPath = lines.Line(V::MainPath);
    main.Year = lines.Line(V::MeasurementYear);
    main.LatLong = lines.Line(V::Location);
    LineList instrument;
    instrument.Load(InstrumentFileOf(mainPath, id));
    main.DataPath = MeasurementDirectoryOf(instrument.Line(kInstrumentHeaderCount),
                                           instrument.Line(kInstrumentDirectory), id);
    main.Range = instrument.Line(kInstrumentRange);
    main.Fwhm = instrument.Line(kInstrumentFwhm);
    main.SlitAvailable = SlitFileFlag(instrument.Line(kInstrumentSlitChar));
}

void ReadAnalysisTexts(const std::string& defaultsFile, AnalysisTexts& texts) {
    LineList defaults;
    defaults.Load(defaultsFile);
    const LongLines lines(defaults);
    texts.Output = FormatFieldValues(4, lines.Fields(V::FinalSimulation));
    texts.OzoneFit = FormatFieldValues(2, lines.Fields(V::OzoneFitWindow));
    texts.Shift = FormatFieldValues(3, lines.Fields(V::WindowSeries));
    texts.AnalysisPath = lines.Line(V::MainPath);
    texts.WindowCount = WindowCountText(lines.Fields(V::WindowCount));
}

std::string ExtensionWithPoint(const std::string& text) {
    return text.find('.') == std::string::npos ? "." + text : text;
}

void CheckMainInstrumentTexts(const MainInstrumentTexts& main) {
    EditNumbers(kYearName, main.Year, 1, true);
    if (SplitFields(main.Year)[0].size() > kYearLength) {
        throw SettingsInputError(std::string(kYearName) +
                                 ": a year of at most 4 digits expected, not '" + main.Year +
                                 "'; nothing written");
    }
    EditNumbers(kLatLongName, main.LatLong, 2, false);
    EditNumbers(kTimeShiftName, main.TimeShift, 4, true);
    EditNumbers(kHeaderCountName, main.HeaderCount, 1, true);
    EditNumbers(kRangeName, main.Range, 3, false);
    EditNumbers(kHalfWidthName, main.HalfWidth, 1, true);
    EditNumbers(kFwhmName, main.Fwhm, 1, false);
    EditNumbers(kIrradianceName, main.IrradianceFactor, 1, false);
}

void ApplyMainInstrument(const std::string& defaultsFile, const std::string& id,
                         const MainInstrumentTexts& main) {
    CheckMainInstrumentTexts(main);
    {
        ListEdit edit(defaultsFile);
        LongLines lines(edit.List());
        lines.Replace(V::MeasurementYear, SplitFields(main.Year)[0]);
        lines.Replace(V::Location, main.LatLong);
        lines.Replace(V::MainPath, main.AnalysisPath);
        lines.Replace(V::TimeCorrection, main.TimeShift);
        lines.Commit();
        edit.Save();
    }
    const std::string path = InstrumentFileOf(main.AnalysisPath, id);
    if (!FileExists(path)) WriteDefaultInstrumentDefaults(path, id);
    ListEdit edit(path);
    LineList& lines = edit.List();
    const long headerCount =
        static_cast<long>(EditNumbers(kHeaderCountName, main.HeaderCount, 1, true)[0]);
    lines.Replace(kInstrumentDirectory, main.DataPath);
    lines.Replace(kInstrumentHeaderCount, HeaderCountText(headerCount, true));
    lines.Replace(kInstrumentExtension, ExtensionWithPoint(main.Extension));
    lines.Replace(kInstrumentRange, main.Range);
    lines.Replace(kInstrumentFwhm, main.Fwhm);
    lines.Replace(kInstrumentSlitChar, main.SlitAvailable ? "1" : "0");
    lines.Replace(kInstrumentHalfWidth, main.HalfWidth);
    // A file of nine lines gets the factor as its tenth; a shorter one raises.
    if (lines.Count() == kInstrumentIrradianceFactor) {
        lines.Append(main.IrradianceFactor);
    } else {
        lines.Replace(kInstrumentIrradianceFactor, main.IrradianceFactor);
    }
    edit.Save();
}

void ApplyAnalysis(const std::string& defaultsFile, const AnalysisTexts& texts) {
    EditNumbers(kOzoneFitName, texts.OzoneFit, 2, false);
    EditNumbers(kShiftName, texts.Shift, 3, false);
    EditNumbers(kWindowCountName, texts.WindowCount, 1, true);
    EditNumbers(kOutputName, texts.Output, 4, false);
    ListEdit edit(defaultsFile);
    LongLines lines(edit.List());
    lines.Replace(V::FinalSimulation, texts.Output);
    const std::vector<double> output =
        ParseAndFormatFieldValues(4, lines.Fields(V::FinalSimulation)).Values;
    const double m = FirstNumber(lines, V::MaximumShift, defaultsFile, "the maximum shift");
    const double f = FirstNumber(lines, V::SlitRangeFactor, defaultsFile, "the slit range factor");
    // The engine's grid margin with the output FWHM as the width.
    const double margin = GridMarginFor(f, output[3], m);
    const double lo = output[0] - margin;
    const double hi = output[1] + margin;
    FieldValues grid = ParseAndFormatFieldValues(3, lines.Fields(V::ModelGrid));
    if (!grid.Complete) {
        throw std::runtime_error("Cannot read the model grid on line index " +
                                 IntText(lines.Index(V::ModelGrid)) + " of '" + defaultsFile +
                                 "': '" + lines.Line(V::ModelGrid) + "' holds no 3 numbers");
    }
    std::vector<double>& g = grid.Values;
    if (g[0] > lo) g[0] = lo;
    if (g[1] < hi) g[1] = hi;
    lines.Replace(V::ModelGrid, FormatValues(g));
    lines.Replace(V::OzoneFitWindow, texts.OzoneFit);
    // An explicit window list is the series' span: the series takes its place.
    lines.Replace(V::WindowSeries, texts.Shift);
    lines.Replace(V::MainPath, texts.AnalysisPath);
    lines.Replace(V::WindowCount, texts.WindowCount + "  1");
    lines.Commit();
    edit.Save();
}

void ApplyEtQa(const std::string& defaultsFile, const EtQaTexts& texts) {
    ListEdit edit(defaultsFile);
    LongLines lines(edit.List());
    lines.Replace(V::ReferenceDirectory, texts.EtPath);
    lines.Replace(V::ActionSpectrumDirectory, texts.EtPath);
    lines.Replace(V::EtFileName, texts.EtSpectrum);
    lines.Replace(V::O3CrossSectionName, texts.O3Cross);
    if (lines.Has(V::Et1nmFileName) && texts.Et1nm != kNotUsedText)
        lines.Replace(V::Et1nmFileName, texts.Et1nm);
    lines.Commit();
    edit.Save();
}

void WriteOutputSpecification(const std::string& defaultsFile, const std::string& name,
                              const OutputSwitches& switches) {
    LineList defaults;
    defaults.Load(defaultsFile);
    const std::string mainPath = NormalizeDirectory(LongLines(defaults).Line(V::MainPath));
    const std::string spec = mainPath + name;
    // The switches first: a redirection never names a file that is not there.
    gui::SaveLinesAtomically(spec, OutputSpecLines(spec, switches));
    if (!SameNameIgnoringCase(name, kOutputSpecName))
        gui::SaveLinesAtomically(mainPath + kOutputSpecName, {spec});
}

}  // namespace tarn::tarncall
