#include "shell/defaults_upkeep.h"

#include <QDir>
#include <QString>
#include <algorithm>

#include "engine/formats/constants.h"
#include "engine/formats/defaults_layout.h"
#include "engine/formats/instrument_layout.h"
#include "engine/formats/result_names.h"
#include "engine/formats/settings_text.h"
#include "gui-common/dialogs.h"
#include "gui-common/edit_text.h"
#include "gui-common/line_list.h"
#include "gui-common/list_edit.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "shell/child_process.h"
#include "shell/shell_settings.h"

namespace tarn::tarncall {

namespace {

using gui::LineList;
using gui::ListEdit;
using V = LongDefaultsValue;

// The template of the long defaults file, in the working directory: the
// engine's effective defaults when the main path is that directory.
constexpr const char* kDefaultsTemplateName = kEffectiveDefaultsName;
constexpr const char kInstrumentFileEnding[] = ".DFA";
// The measurement directory of a default instrument file, beside the main
// path in the working directory (tarn-workdir makes both).
constexpr const char kMeasurementDirectoryName[] = "uvdata";
// The engine program as FindProgram takes it (".exe" dropped where programs
// have none), and its file name.
constexpr const char kEngineProgram[] = "tarnpelo.exe";
#ifdef _WIN32
constexpr const char kEngineProgramFile[] = "tarnpelo.exe";
#else
constexpr const char kEngineProgramFile[] = "tarnpelo";
#endif
// Lines put after a file that ends early, to find where it would hold a
// value: enough numbers for any line, and more lines than any layout has.
constexpr const char kPaddingLine[] = "0 0 0 0 0 0 0 0";
constexpr size_t kPaddingLines = 1000;

// <home>/<relative> with the platform's separators.
std::string UnderHome(const QString& relative) {
    return QDir::toNativeSeparators(QDir::homePath() + QLatin1Char('/') + relative).toStdString();
}

// The line that holds `value`; raises the list's report of the line where the
// file would hold it when it ends before it.
const std::string& ValueLine(const LineList& lines, V value) {
    return lines.Line(LongDefaultsLineOf(lines.Lines(), value));
}

// The text of `value`, or `fallback` when the file ends before it.
std::string ValueOr(const LineList& lines, const LongDefaultsLayout& layout, V value,
                    const std::string& fallback) {
    const int line = layout.LineOf(value);
    return line == kNotInFile ? fallback : lines.Line(line);
}

// A main path that names no directory (an unmounted disk): nothing is read or
// made there.  An empty one is the working directory, as the engine takes it.
bool MainPathGone(const std::string& mainPath) {
    return !mainPath.empty() && !DirectoryExists(mainPath);
}

// The values the shell takes from a long defaults file.
MainDefaults TakeMainDefaults(const LineList& lines) {
    const LongDefaultsLayout layout = LocateLongDefaults(lines.Lines());
    MainDefaults defaults;
    // As the engine takes it: a separator added when the line lacks one, so the
    // shell's instrument file, result directories and archives are the engine's.
    defaults.MainAnalysisPath = AsDirectory(ValueLine(lines, V::MainPath));
    defaults.QcSubdirectory =
        ValueOr(lines, layout, V::QcSubdirectory, AsDirectory(kQaqcSubdirectory));
    defaults.StructureSubdirectory =
        ValueOr(lines, layout, V::StructureSubdirectory, AsDirectory(kStructureSubdirectory));
    defaults.ShiftSubdirectory =
        ValueOr(lines, layout, V::ShiftSubdirectory, AsDirectory(kShiftSubdirectory));
    defaults.CriteriaCount = layout.CriteriaCount;
    defaults.StartCriterion = layout.StartCriterion;
    return defaults;
}

}  // namespace

std::string DefaultMainAnalysisPath() {
    return BuiltInDefaults().Paths.MainPath;
}

std::string DefaultMeasurementDirectory() {
    return AsDirectory(kMeasurementDirectoryName);
}

std::string DefaultDefaultsFile() {
    return DefaultMainAnalysisPath() + kEffectiveDefaultsName;
}

std::string DefaultProgramCall() {
    const QString beside = FindProgram(QLatin1String(kEngineProgram));
    if (!beside.isEmpty()) return QDir::toNativeSeparators(beside).toStdString();
    return UnderHome(QStringLiteral("tarnpel/uvanalys/") + QLatin1String(kEngineProgramFile));
}

std::string InstrumentDefaultsPath(const std::string& mainPath, const std::string& id) {
    return mainPath + id + kInstrumentFileEnding;
}

int LongDefaultsLineOf(const std::vector<std::string>& lines, LongDefaultsValue value) {
    const int line = LocateLongDefaults(lines).LineOf(value);
    if (line != kNotInFile) return line;
    std::vector<std::string> padded = lines;
    padded.insert(padded.end(), kPaddingLines, kPaddingLine);
    return LocateLongDefaults(padded).LineOf(value);
}

void ReplaceLongDefaults(LineList& lines, const LongDefaultsLayout& layout,
                         const std::vector<std::pair<V, std::string>>& values) {
    for (const auto& [value, text] : values) {
        if (layout.LineOf(value) == kNotInFile)
            lines.Replace(std::max(lines.Count(), LongDefaultsLineOf(lines.Lines(), value)), text);
    }
    for (const LineChange& change : LongDefaultsEdit(layout, values)) {
        if (change.End == change.First) {
            lines.Insert(change.First, change.Text);
            continue;
        }
        lines.Replace(change.First, change.Text);
        lines.Erase(change.First + 1, change.End - change.First - 1);
    }
}

MainDefaults ReadMainDefaults(const std::string& path) {
    // No copy of the template can be made under no name.
    if (path.empty()) throw RunTimeError::Refusal(kNoDefaultsFileText);
    if (EntryExists(path)) {
        LineList lines;
        lines.Load(path);
        return TakeMainDefaults(lines);
    }
    gui::CurrentDialogs().Inform(QString::fromLatin1(kMainDefaultsMissingText));
    ListEdit edit(kDefaultsTemplateName, path);
    MainDefaults defaults = TakeMainDefaults(edit.List());
    defaults.Missing = true;
    edit.Save();
    return defaults;
}

std::string MeasurementDirectoryOf(const std::string& headerCountLine,
                                   const std::string& directoryLine, const std::string& id) {
    std::string directory = directoryLine;
    if (!HasNoIdMet(headerCountLine)) directory = AsDirectory(directory) + id;
    return AsDirectory(directory);
}

InstrumentDefaults ReadInstrumentDefaults(const std::string& path, const std::string& id) {
    InstrumentDefaults defaults;
    if (!EntryExists(path)) {
        gui::CurrentDialogs().Inform(QString::fromLatin1(kInstrumentMissingText) +
                                     gui::DecodeBytes(MessagePart(path)) +
                                     QString::fromLatin1(kInstrumentMissingTail));
        defaults.Missing = true;
        WriteDefaultInstrumentDefaults(path, id);
        return defaults;
    }
    LineList lines;
    lines.Load(path);
    defaults.DataExtension = lines.Line(kInstrumentExtension);
    const std::string& header = lines.Line(kInstrumentHeaderCount);
    defaults.DataPath = MeasurementDirectoryOf(header, lines.Line(kInstrumentDirectory), id);
    return defaults;
}

std::vector<std::string> DefaultInstrumentDefaultsLines(const std::string& id) {
    InstrumentDefaultsTexts texts;
    texts.SettingsFileName = kSettingsFileName;
    texts.HeaderCount = HeaderCountText(0, true);
    texts.Extension = "." + id;
    texts.Directory = DefaultMeasurementDirectory();
    texts.Range = "285.0 440.0 0.5";
    texts.HalfWidth = "1";
    texts.SlitChar = "1";
    texts.Fwhm = "0.32";
    texts.LineStep = "1";
    return InstrumentDefaultsLines(texts);
}

void WriteDefaultInstrumentDefaults(const std::string& path, const std::string& id) {
    gui::SaveLinesAtomically(path, DefaultInstrumentDefaultsLines(id));
}

DataSelection SelectData(const ShellSettings& entries) {
    DataSelection selection;
    selection.Defaults = ReadMainDefaults(entries.DefaultsFile);
    selection.DefaultsMissing = selection.Defaults.Missing;
    if (selection.DefaultsMissing) return selection;
    const std::string& mainPath = selection.Defaults.MainAnalysisPath;
    if (MainPathGone(mainPath))
        throw RunTimeError::Refusal(kMainPathMissingText + MessagePart(mainPath));
    const std::string& id = entries.InstrumentId;
    const InstrumentDefaults instrument =
        ReadInstrumentDefaults(InstrumentDefaultsPath(selection.Defaults.MainAnalysisPath, id), id);
    selection.DefaultsMissing = instrument.Missing;
    if (!selection.DefaultsMissing)
        selection.Mask = instrument.DataPath + entries.DayTime + instrument.DataExtension;
    return selection;
}

void MergeDefaultsWithTemplate(const std::string& defaultsFile, const std::string& mainPath) {
    if (defaultsFile.empty()) throw RunTimeError::Refusal(kNoDefaultsFileText);
    LineList templateLines;
    templateLines.Load(kDefaultsTemplateName);
    LineList lines;
    lines.Load(defaultsFile);
    const std::string before = lines.Text();
    ReplaceLongDefaults(lines, LocateLongDefaults(lines.Lines()), {{V::MainPath, mainPath}});
    for (int line = lines.Count(); line < templateLines.Count(); ++line)
        lines.Append(templateLines.Line(line));
    const LongDefaultsLayout layout = LocateLongDefaults(lines.Lines());
    const std::string efuvTarget =
        AsDirectory(mainPath) + ValueOr(lines, layout, V::EfuvDefaultsName, kEfuvDefaultsName);
    if (lines.Text() != before) lines.Save(defaultsFile);
    if (FileExists(efuvTarget) || MainPathGone(mainPath)) return;
    LineList efuv;
    efuv.Load(kEfuvDefaultsName);
    efuv.Save(efuvTarget);
}

MainPathChoice MainPathInForce(const std::string& written) {
    if (DirectoryExists(written)) return {written, false};
    if (DirectoryExists(DefaultMainAnalysisPath())) return {DefaultMainAnalysisPath(), false};
    return {written, true};
}

MainPathChoice KeepMainPathAtStart(const std::string& defaultsFile,
                                   const std::function<void(const MainPathChoice&)>& show) {
    const bool exists = EntryExists(defaultsFile);
    LineList lines;
    lines.Load(exists ? defaultsFile : kDefaultsTemplateName);
    const std::string written = ValueLine(lines, V::MainPath);
    const MainPathChoice choice = MainPathInForce(written);
    if (show) show(choice);
    if (defaultsFile.empty()) throw RunTimeError::Refusal(kNoDefaultsFileText);
    if (exists && choice.Path == written) return choice;
    ReplaceLongDefaults(lines, LocateLongDefaults(lines.Lines()), {{V::MainPath, choice.Path}});
    lines.Save(defaultsFile);
    return choice;
}

}  // namespace tarn::tarncall
