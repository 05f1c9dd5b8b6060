#include "shell/settings_files.h"

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

#include "engine/formats/constants.h"
#include "engine/formats/defaults_layout.h"
#include "engine/formats/instrument_layout.h"
#include "engine/formats/output_spec_layout.h"
#include "engine/formats/settings_text.h"
#include "gui-common/dialogs.h"
#include "gui-common/line_list.h"
#include "gui-common/list_edit.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "platform/text_format.h"
#include "shell/defaults_upkeep.h"
#include "shell/field_values.h"

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
// counts in the file.  A value the file does not hold has the line where a
// longer file would hold it, so that reading or replacing it raises the
// list's report naming that line.
// A replacement takes the value's whole span (ReplaceLongDefaults).
// Replacements reach the list at Commit(), which the destructor calls: an
// edit that ends early keeps those made so far.
class LongLines {
  public:
    explicit LongLines(LineList& lines)
        : m_lines(lines), m_layout(LocateLongDefaults(lines.Lines())) {}
    ~LongLines() { Commit(); }
    LongLines(const LongLines&) = delete;
    LongLines& operator=(const LongLines&) = delete;

    bool Has(V value) const { return m_layout.LineOf(value) != kNotInFile; }
    int Index(V value) const {
        return Has(value) ? m_layout.LineOf(value)
                          : std::max(m_lines.Count(), LongDefaultsLineOf(m_lines.Lines(), value));
    }
    const std::string& Line(V value) const {
        const auto replaced = m_replaced.find(value);
        return replaced != m_replaced.end() ? replaced->second : m_lines.Line(Index(value));
    }
    void Replace(V value, const std::string& text) {
        if (!Has(value)) ReplaceLongDefaults(m_lines, m_layout, {{value, text}});  // raises
        m_replaced[value] = text;
    }
    std::vector<std::string> Fields(V value) const { return SplitFields(Line(value)); }
    const LongDefaultsLayout& Layout() const { return m_layout; }

    // Puts the replacements into the list (ReplaceLongDefaults).
    void Commit() {
        ReplaceLongDefaults(m_lines, m_layout, {m_replaced.begin(), m_replaced.end()});
        m_replaced.clear();
    }

  private:
    LineList& m_lines;
    LongDefaultsLayout m_layout;
    std::map<V, std::string> m_replaced;  // by value, in file order
};

// The numbers of a numeric edit read as the engine reads its line: `count`
// numbers first (whole numbers when `whole`), then any text, or none when
// `alone`.  Otherwise the refusal naming the edit.
std::vector<double> EditNumbers(const char* name, const std::string& text, size_t count, bool whole,
                                bool alone = false) {
    const std::vector<std::string> fields = SplitFields(text);
    bool ok = fields.size() >= count && (!alone || fields.size() == count);
    std::vector<double> values;
    for (size_t i = 0; ok && i < count; ++i) {
        double value = 0.0;
        long integer = 0;
        ok = whole ? ParseInt(fields[i], integer) : ParseReal(fields[i], value);
        values.push_back(whole ? static_cast<double>(integer) : value);
    }
    if (ok) return values;
    const std::string what = count == 1 ? std::string(whole ? "a whole number" : "a number")
                                        : IntText(static_cast<long long>(count)) +
                                              (whole ? " whole numbers" : " numbers");
    throw RunTimeError::Refusal(std::string(name) + ": " + what + " expected, not '" +
                                MessagePart(text) + "'; nothing written");
}

// Checks an edited numeric edit (EditNumbers); an untouched one is not written.
void CheckEdited(const char* name, const EditText& text, size_t count, bool whole,
                 bool alone = false) {
    if (text.Edited) EditNumbers(name, text.Bytes, count, whole, alone);
}

// The year as the engine takes it, the first four characters of its line: a
// whole number of at most 4 digits from the line's start; text may follow.
void CheckYear(const std::string& year) {
    const std::vector<std::string> fields = SplitFields(year);
    long value = 0;
    if (!fields.empty() && fields[0].size() <= kYearLength &&
        year.compare(0, fields[0].size(), fields[0]) == 0 && ParseInt(fields[0], value))
        return;
    throw RunTimeError::Refusal(std::string(kYearName) +
                                ": a year of at most 4 digits expected, not '" + MessagePart(year) +
                                "'; nothing written");
}

// Refuses an empty name of the long defaults file: no file would be named.
void RequireDefaultsFile(const std::string& defaultsFile) {
    if (defaultsFile.empty()) throw RunTimeError::Refusal(kNoDefaultsFileText);
}

// The first field of a value's line as a number; raises naming the value.
double FirstNumber(const LongLines& lines, V value, const std::string& file, const char* what) {
    const std::vector<std::string> fields = lines.Fields(value);
    double number = 0.0;
    if (!fields.empty() && ParseReal(fields[0], number)) return number;
    throw RunTimeError::ListError("read " + std::string(what) + " on line", file,
                                  lines.Index(value),
                                  "'" + MessagePart(lines.Line(value)) + "' holds no number");
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

// The instrument file of `id` in `mainPath`, written first as the nine-line
// default when missing.
std::string InstrumentFileMade(const std::string& mainPath, const std::string& id) {
    const std::string path = InstrumentFileOf(mainPath, id);
    if (!EntryExists(path)) WriteDefaultInstrumentDefaults(path, id);
    return path;
}

// The first field rounded to a whole number, right-aligned in 4 characters.
std::string WindowCountText(const std::vector<std::string>& fields) {
    double count = 0.0;
    if (fields.empty()) return std::string();
    if (!ParseReal(fields[0], count)) return fields[0];
    return IntW(RoundEven(count), kWindowCountWidth);
}

}  // namespace

MainPathChoice OpenLongDefaults(const std::string& defaultsFile, const std::string& mainPathText,
                                MainInstrumentTexts& main, EtQaTexts& etqa, bool write) {
    // An empty name would save the template over itself.
    RequireDefaultsFile(defaultsFile);
    std::string source = kEffectiveDefaultsName;
    if (EntryExists(defaultsFile)) {
        if (write) MergeDefaultsWithTemplate(defaultsFile, mainPathText);
        source = defaultsFile;
    }
    const MainPathChoice choice = MainPathInForce(mainPathText);
    std::optional<ListEdit> edit;
    LineList shown;
    if (write)
        edit.emplace(source, defaultsFile);
    else
        shown.Load(source);
    LongLines lines(write ? edit->List() : shown);
    lines.Replace(V::MainPath, choice.Path);
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
    if (edit) edit->Save();
    return choice;
}

std::string InstrumentFileOf(const std::string& mainPath, const std::string& id) {
    return InstrumentDefaultsPath(AsDirectory(mainPath), id);
}

void ReadInstrumentTexts(const std::string& mainPath, const std::string& id,
                         MainInstrumentTexts& main, bool write) {
    LineList lines;
    if (write || EntryExists(InstrumentFileOf(mainPath, id)))
        lines.Load(InstrumentFileMade(mainPath, id));
    else
        for (const std::string& line : DefaultInstrumentDefaultsLines(id)) lines.Append(line);
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
    if (!main.InstrumentShown) return;
    const std::string path = InstrumentFileMade(mainPath, id);
    LineList instrument;
    instrument.Load(path);
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
    if (main.Year.Edited) CheckYear(main.Year.Bytes);
    CheckEdited(kLatLongName, main.LatLong, 2, false);
    CheckEdited(kTimeShiftName, main.TimeShift, 4, true);
    CheckEdited(kHeaderCountName, main.HeaderCount, 1, true);
    CheckEdited(kRangeName, main.Range, 3, false);
    CheckEdited(kHalfWidthName, main.HalfWidth, 1, true);
    CheckEdited(kFwhmName, main.Fwhm, 1, false);
    CheckEdited(kIrradianceName, main.IrradianceFactor, 1, false);
}

void ApplyMainInstrument(const std::string& defaultsFile, const std::string& id,
                         const MainInstrumentTexts& main) {
    RequireDefaultsFile(defaultsFile);
    CheckMainInstrumentTexts(main);
    std::string mainPath;
    {
        ListEdit edit(defaultsFile);
        LongLines lines(edit.List());
        const std::pair<V, const EditText*> values[] = {{V::MeasurementYear, &main.Year},
                                                        {V::Location, &main.LatLong},
                                                        {V::MainPath, &main.AnalysisPath},
                                                        {V::TimeCorrection, &main.TimeShift}};
        // A value the file does not hold yet is written as shown.
        for (const auto& [value, text] : values)
            if (text->Edited || !lines.Has(value)) lines.Replace(value, text->Bytes);
        mainPath = lines.Line(V::MainPath);
        lines.Commit();
        edit.Save();
    }
    if (!main.InstrumentShown) return;
    const std::string path = InstrumentFileMade(mainPath, id);
    ListEdit edit(path);
    LineList& lines = edit.List();
    // A file too short to take the factor as its tenth line is refused before
    // any line of it changes (the replacement raises the refusal).
    if (lines.Count() < kInstrumentIrradianceFactor)
        lines.Replace(kInstrumentIrradianceFactor, main.IrradianceFactor.Bytes);
    // The directory shown is the whole measurement directory: written, it
    // needs "no_id_met", and a count written with "no_id_met" needs it.
    const bool together = !HasNoIdMet(lines.Line(kInstrumentHeaderCount)) &&
                          (main.DataPath.Edited || main.HeaderCount.Edited);
    if (main.DataPath.Edited || together) lines.Replace(kInstrumentDirectory, main.DataPath.Bytes);
    if (main.HeaderCount.Edited || together) {
        lines.Replace(kInstrumentHeaderCount,
                      main.HeaderCount.Bytes + " " + std::string(kNoIdMetWord));
    }
    // The extension always gets its point.
    const std::string extension = ExtensionWithPoint(main.Extension.Bytes);
    if (main.Extension.Edited || extension != main.Extension.Bytes)
        lines.Replace(kInstrumentExtension, extension);
    if (main.Range.Edited) lines.Replace(kInstrumentRange, main.Range.Bytes);
    if (main.Fwhm.Edited) lines.Replace(kInstrumentFwhm, main.Fwhm.Bytes);
    if (main.SlitEdited) lines.Replace(kInstrumentSlitChar, main.SlitAvailable ? "1" : "0");
    if (main.HalfWidth.Edited) lines.Replace(kInstrumentHalfWidth, main.HalfWidth.Bytes);
    // A file of nine lines gets the factor as its tenth.
    if (lines.Count() == kInstrumentIrradianceFactor) {
        lines.Append(main.IrradianceFactor.Bytes);
    } else if (main.IrradianceFactor.Edited) {
        lines.Replace(kInstrumentIrradianceFactor, main.IrradianceFactor.Bytes);
    }
    edit.Save();
}

void ApplyAnalysis(const std::string& defaultsFile, const AnalysisTexts& texts) {
    RequireDefaultsFile(defaultsFile);
    LineList before;
    before.Load(defaultsFile);
    // With an explicit window list, a new series or count needs the other
    // with it: the series line takes the list's place, the count says so.
    const bool list = LocateLongDefaults(before.Lines()).WindowMode != 1;
    const bool series = texts.Shift.Edited || (list && texts.WindowCount.Edited);
    const bool count = texts.WindowCount.Edited || (list && texts.Shift.Edited);
    CheckEdited(kOzoneFitName, texts.OzoneFit, 2, false);
    if (series) EditNumbers(kShiftName, texts.Shift.Bytes, 3, false);
    // The count is followed by the series mode on its line.
    if (count) EditNumbers(kWindowCountName, texts.WindowCount.Bytes, 1, true, true);
    CheckEdited(kOutputName, texts.Output, 4, false);

    ListEdit edit(defaultsFile);
    LongLines lines(edit.List());
    if (texts.Output.Edited) lines.Replace(V::FinalSimulation, texts.Output.Bytes);
    const FieldValues output = ParseAndFormatFieldValues(4, lines.Fields(V::FinalSimulation));
    if (!output.Complete) {
        throw RunTimeError::ListError(
            "read the final simulation on line", defaultsFile, lines.Index(V::FinalSimulation),
            "'" + MessagePart(lines.Line(V::FinalSimulation)) + "' holds no 4 numbers");
    }
    const double m = FirstNumber(lines, V::MaximumShift, defaultsFile, "the maximum shift");
    const double f = FirstNumber(lines, V::SlitRangeFactor, defaultsFile, "the slit range factor");
    // The engine's grid margin with the output FWHM as the width.
    const double margin = GridMarginFor(f, output.Values[3], m);
    const double lo = output.Values[0] - margin;
    const double hi = output.Values[1] + margin;
    FieldValues grid = ParseAndFormatFieldValues(3, lines.Fields(V::ModelGrid));
    if (!grid.Complete) {
        throw RunTimeError::ListError(
            "read the model grid on line", defaultsFile, lines.Index(V::ModelGrid),
            "'" + MessagePart(lines.Line(V::ModelGrid)) + "' holds no 3 numbers");
    }
    std::vector<double>& g = grid.Values;
    if (g[0] > lo || g[1] < hi) {
        g[0] = std::min(g[0], lo);
        g[1] = std::max(g[1], hi);
        lines.Replace(V::ModelGrid, FormatValues(g));
    }
    if (texts.OzoneFit.Edited) lines.Replace(V::OzoneFitWindow, texts.OzoneFit.Bytes);
    // An explicit window list is the series' span: the series takes its place.
    if (series) lines.Replace(V::WindowSeries, texts.Shift.Bytes);
    if (texts.AnalysisPath.Edited) lines.Replace(V::MainPath, texts.AnalysisPath.Bytes);
    if (count) lines.Replace(V::WindowCount, texts.WindowCount.Bytes + "  1");
    lines.Commit();
    edit.Save();
}

void ApplyEtQa(const std::string& defaultsFile, const EtQaTexts& texts) {
    RequireDefaultsFile(defaultsFile);
    ListEdit edit(defaultsFile);
    LongLines lines(edit.List());
    const std::pair<V, const EditText*> values[] = {{V::ReferenceDirectory, &texts.EtPath},
                                                    {V::ActionSpectrumDirectory, &texts.EtPath},
                                                    {V::EtFileName, &texts.EtSpectrum},
                                                    {V::O3CrossSectionName, &texts.O3Cross}};
    for (const auto& [value, text] : values)
        if (text->Edited) lines.Replace(value, text->Bytes);
    if (lines.Has(V::Et1nmFileName) && texts.Et1nm.Edited)
        lines.Replace(V::Et1nmFileName, texts.Et1nm.Bytes);
    lines.Commit();
    edit.Save();
}

void WriteOutputSpecification(const std::string& defaultsFile, const std::string& name,
                              const OutputSwitches& switches) {
    RequireDefaultsFile(defaultsFile);
    if (name.empty()) throw RunTimeError::Refusal(kNoOutputSpecText);
    LineList defaults;
    defaults.Load(defaultsFile);
    const std::string mainPath = AsDirectory(LongLines(defaults).Line(V::MainPath));
    const std::string spec = mainPath + name;
    // The switches first: a redirection never names a file that is not there.
    gui::SaveLinesAtomically(spec, OutputSpecLines(spec, switches));
    if (!SameIgnoringCase(name, kOutputSpecName))
        gui::SaveLinesAtomically(mainPath + kOutputSpecName, {spec});
}

}  // namespace tarn::tarncall
