#include "shell/defaults_upkeep.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

#include "engine/constants.h"
#include "engine/defaults_layout.h"
#include "engine/instrument_layout.h"
#include "engine/result_names.h"
#include "engine/settings_text.h"
#include "gui-common/dialogs.h"
#include "gui-common/line_list.h"
#include "platform/paths.h"
#include "shell/child_process.h"
#include "shell/paths_del.h"
#include "shell/shell_settings.h"
#include "shell/shell_state.h"

namespace tarn::tarncall {

namespace {

using gui::LineList;
using gui::ListEdit;

// The template of the long defaults file, in the working directory: the
// engine's effective defaults when the main path is that directory.
constexpr const char* kDefaultsTemplateName = kEffectiveDefaultsName;
constexpr const char kInstrumentFileEnding[] = ".DFA";
// The engine program as FindProgram takes it (".exe" dropped where programs
// have none), and its file name.
constexpr const char kEngineProgram[] = "tarnpelo.exe";
#ifdef _WIN32
constexpr const char kEngineProgramFile[] = "tarnpelo.exe";
#else
constexpr const char kEngineProgramFile[] = "tarnpelo";
#endif

// <home>/<relative> with the platform's separators.
std::string UnderHome(const QString& relative) {
    return QDir::toNativeSeparators(QDir::homePath() + QLatin1Char('/') + relative).toStdString();
}

// The line that holds `value`; the list's length (the first line it lacks,
// so that reading or replacing it raises the report) when the file ends
// before it.
int LineOf(const LineList& lines, const LongDefaultsLayout& layout, LongDefaultsValue value) {
    const int line = layout.LineOf(value);
    return line == kNotInFile ? lines.Count() : line;
}

// The text of `value`, or `fallback` when the file ends before it.
std::string ValueOr(const LineList& lines, const LongDefaultsLayout& layout,
                    LongDefaultsValue value, const std::string& fallback) {
    const int line = layout.LineOf(value);
    return line == kNotInFile ? fallback : lines.Line(line);
}

// The values ShellState takes from a long defaults file.
void TakeMainDefaults(const LineList& lines) {
    const LongDefaultsLayout layout = LocateLongDefaults(lines.Lines());
    // As the engine takes it: a separator added when the line lacks one, so the
    // shell's instrument file, result directories and archives are the engine's.
    ShellState.MainAnalysisPath =
        DirectoryLine(lines.Line(LineOf(lines, layout, LongDefaultsValue::MainPath)));
    ShellState.QcSubdirectory =
        ValueOr(lines, layout, LongDefaultsValue::QcSubdirectory, DirectoryText(kQaqcSubdirectory));
    ShellState.StructureSubdirectory =
        ValueOr(lines, layout, LongDefaultsValue::StructureSubdirectory,
                DirectoryText(kStructureSubdirectory));
    ShellState.ShiftSubdirectory = ValueOr(lines, layout, LongDefaultsValue::ShiftSubdirectory,
                                           DirectoryText(kShiftSubdirectory));
    ShellState.CriteriaCount = layout.CriteriaCount;
    ShellState.StartCriterion = layout.StartCriterion;
}

}  // namespace

bool FileExists(const std::string& path) {
    return !path.empty() && QFileInfo(QString::fromStdString(ResolveCase(path))).isFile();
}

bool DirectoryExists(const std::string& path) {
    return path.empty() || QFileInfo(QString::fromStdString(ResolveCase(path))).isDir();
}

std::string DefaultMainAnalysisPath() {
    return UnderHome(QStringLiteral("TARNpelo/uvanalys/"));
}

std::string DefaultMeasurementDirectory() {
    return UnderHome(QStringLiteral("TARNpelo/uvdata/"));
}

std::string DefaultDefaultsFile() {
    return UnderHome(QStringLiteral("ploven_r/uvanalys/") + QLatin1String(kEffectiveDefaultsName));
}

std::string DefaultProgramCall() {
    const QString beside = FindProgram(QLatin1String(kEngineProgram));
    if (!beside.isEmpty()) return QDir::toNativeSeparators(beside).toStdString();
    return UnderHome(QStringLiteral("tarnpel/uvanalys/") + QLatin1String(kEngineProgramFile));
}

std::string InstrumentDefaultsPath(const std::string& mainPath, const std::string& id) {
    return mainPath + id + kInstrumentFileEnding;
}

void ReadMainDefaults(const std::string& path) {
    ShellState.DefaultsMissing = false;
    if (FileExists(path)) {
        LineList lines;
        lines.Load(path);
        TakeMainDefaults(lines);
        return;
    }
    ShellState.DefaultsMissing = true;
    gui::CurrentDialogs().Inform(QString::fromLatin1(kMainDefaultsMissingText));
    ListEdit edit(kDefaultsTemplateName, path);
    TakeMainDefaults(edit.List());
    edit.Save();
}

std::string MeasurementDirectoryOf(const std::string& headerCountLine,
                                   const std::string& directoryLine, const std::string& id) {
    std::string directory = directoryLine;
    if (!HasNoIdMet(headerCountLine)) directory = NormalizeDirectory(directory) + id;
    return NormalizeDirectory(directory);
}

void ReadInstrumentDefaults(const std::string& path, const std::string& id) {
    if (!FileExists(path)) {
        gui::CurrentDialogs().Inform(QString::fromLatin1(kInstrumentMissingText) +
                                     QString::fromStdString(path) +
                                     QString::fromLatin1(kInstrumentMissingTail));
        ShellState.DefaultsMissing = true;
        WriteDefaultInstrumentDefaults(path, id);
        return;
    }
    LineList lines;
    lines.Load(path);
    ShellState.DataExtension = lines.Line(kInstrumentExtension);
    const std::string& header = lines.Line(kInstrumentHeaderCount);
    ShellState.DataPath = MeasurementDirectoryOf(header, lines.Line(kInstrumentDirectory), id);
}

void WriteDefaultInstrumentDefaults(const std::string& path, const std::string& id) {
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
    gui::SaveLinesAtomically(path, InstrumentDefaultsLines(texts));
}

std::string DataSelectionMask(const ShellSettings& entries) {
    ShellState.DefaultsMissing = false;
    ReadMainDefaults(entries.DefaultsFile);
    if (ShellState.DefaultsMissing) return std::string();
    const std::string& id = entries.InstrumentId;
    ReadInstrumentDefaults(InstrumentDefaultsPath(ShellState.MainAnalysisPath, id), id);
    if (ShellState.DefaultsMissing) return std::string();
    return ShellState.DataPath + entries.DayTime + ShellState.DataExtension;
}

void MergeDefaultsWithTemplate(const std::string& defaultsFile, const std::string& mainPath) {
    LineList templateLines;
    templateLines.Load(kDefaultsTemplateName);
    std::string efuvTarget;
    {
        ListEdit edit(defaultsFile);
        LineList& lines = edit.List();
        // Completed first, so that a short file gets its main-path line too.
        for (int line = lines.Count(); line < templateLines.Count(); ++line)
            lines.Append(templateLines.Line(line));
        const LongDefaultsLayout layout = LocateLongDefaults(lines.Lines());
        lines.Replace(LineOf(lines, layout, LongDefaultsValue::MainPath), mainPath);
        efuvTarget = mainPath +
                     ValueOr(lines, layout, LongDefaultsValue::EfuvDefaultsName, kEfuvDefaultsName);
        edit.Save();
    }
    if (FileExists(efuvTarget)) return;
    LineList efuv;
    efuv.Load(kEfuvDefaultsName);
    efuv.Save(efuvTarget);
}

std::string MainPathInForce(const std::string& written, bool& directoryMissing) {
    directoryMissing = false;
    if (DirectoryExists(written)) return written;
    if (DirectoryExists(DefaultMainAnalysisPath())) return DefaultMainAnalysisPath();
    directoryMissing = true;
    return written;
}

std::string KeepMainPathAtStart(const std::string& defaultsFile, bool& directoryMissing) {
    const std::string source = FileExists(defaultsFile) ? defaultsFile : kDefaultsTemplateName;
    ListEdit edit(source, defaultsFile);
    LineList& lines = edit.List();
    const int line = LineOf(lines, LocateLongDefaults(lines.Lines()), LongDefaultsValue::MainPath);
    const std::string mainPath = MainPathInForce(lines.Line(line), directoryMissing);
    lines.Replace(line, mainPath);
    edit.Save();
    return mainPath;
}

}  // namespace tarn::tarncall
