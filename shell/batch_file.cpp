#include "shell/batch_file.h"

#include <cstdio>

#include "engine/formats/result_names.h"
#include "gui-common/line_list.h"
#include "platform/file_mask.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "shell/defaults_upkeep.h"
#include "shell/shell_settings.h"
#include "tarnbat/batch_protocol.h"

namespace tarn::tarncall {

namespace {

constexpr const char kAnyFileOfDay[] = "*.*";

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// The directories of the result tree whose files of a day the deletion lines
// remove, below the instrument's result directory, in their order.
std::vector<std::string> DeletionDirectories() {
    return {"",
            AsDirectory(kEfuvSubdirectory),
            AsDirectory(kShiftSubdirectory),
            AsDirectory(kQaqcSubdirectory),
            AsDirectory(kQaqcSubdirectory) + AsDirectory(kStructureSubdirectory),
            AsDirectory(kTransmissionSubdirectory)};
}

// A text that no batch argument can carry whole.
bool Unpassable(const std::string& text) {
    return text.find_first_of("\"\r\n") != std::string::npos;
}

}  // namespace

std::string BatchArgument(const std::string& text) {
    if (!text.empty() && text.find_first_of(" \t") == std::string::npos) return text;
    return '"' + text + '"';
}

std::string ScanNameOf(const std::string& item) {
    return item.substr(0, item.find('.'));
}

std::string DayOf(const std::string& scanName) {
    return scanName.substr(0, 3);
}

std::optional<int> DayNumber(const std::string& day) {
    if (day.size() != 3) return std::nullopt;
    int number = 0;
    for (char c : day) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
    }
    return number;
}

std::string DayText(int day) {
    std::string text = std::to_string(day);
    while (text.size() < 3) text.insert(text.begin(), '0');
    return text;
}

std::string EngineLine(const ShellSettings& entries, const std::string& scanName) {
    return BatchArgument(entries.Program) + " " + BatchArgument(scanName) + " " +
           BatchArgument(entries.InstrumentId) + " " + BatchArgument(entries.DefaultsFile) + " " +
           entries.ResultCodes;
}

std::string ArchiveFile(const std::string& mainPath, const std::string& id,
                        const std::string& day) {
    return ResultDirectoryName(mainPath, id) + id + day + ".zip";
}

void WriteZipCommands(std::vector<std::string>& batch, const std::string& mainPath,
                      const std::string& id, int day, std::string& previousZipDay) {
    const std::string resultDirectory = ResultDirectoryName(mainPath, id);
    const std::string dayText = DayText(day);
    batch.push_back("pkzip " + BatchArgument(ArchiveLineName(ArchiveFile(mainPath, id, dayText))) +
                    " " + BatchArgument(resultDirectory + dayText + kAnyFileOfDay) + " -rp");
    if (previousZipDay != dayText && FileExists(ArchiveFile(mainPath, id, previousZipDay))) {
        for (const std::string& directory : DeletionDirectories())
            batch.push_back("del " + BatchArgument(resultDirectory + directory + previousZipDay +
                                                   kAnyFileOfDay));
    }
    previousZipDay = dayText;
}

std::vector<std::string> DayBatch(const ShellSettings& entries, const std::string& mainPath,
                                  const std::vector<std::string>& scanNames, bool zip, bool lastDay,
                                  std::string& previousZipDay) {
    std::vector<std::string> batch = {kDeleteMarkerLine};
    const std::string& id = entries.InstrumentId;
    const std::string resultDirectory = ResultDirectoryName(mainPath, id);
    const std::optional<int> numbered = DayNumber(DayOf(scanNames.front()));
    const int day = numbered.value_or(0);  // a three-digit day with "ZIP" (CheckBatchLines)
    const std::string archive = ArchiveFile(mainPath, id, DayText(day));
    if (numbered && FileExists(archive))
        batch.push_back("pkunzip -d " + BatchArgument(archive) + " " +
                        BatchArgument(resultDirectory));
    for (const std::string& scan : scanNames) batch.push_back(EngineLine(entries, scan));
    if (zip) WriteZipCommands(batch, mainPath, id, day, previousZipDay);
    if (!lastDay) batch.insert(batch.end(), {kDeleteMarkerLine, kCopyMarkerLine});
    return batch;
}

std::optional<std::string> AppliedShiftPath(const std::string& mainPath,
                                            const std::string& shiftSubdirectory,
                                            const std::string& id, const std::string& scanName,
                                            const std::string& resultCodes) {
    std::string code;
    if (!AppliedShiftCode(resultCodes, code)) return std::nullopt;
    return AppliedShiftDirectoryOf(mainPath, shiftSubdirectory, id) +
           AppliedShiftName(scanName, code, id);
}

void CheckBatchLines(const ShellSettings& entries, const std::string& mainPath,
                     const std::vector<std::string>& scanNames, bool zip) {
    std::vector<std::string> texts = {entries.Program, entries.InstrumentId, entries.DefaultsFile};
    if (zip) texts.push_back(mainPath);
    texts.insert(texts.end(), scanNames.begin(), scanNames.end());
    for (const std::string& text : texts) {
        if (Unpassable(text)) {
            throw RunTimeError::Refusal(
                "A batch line cannot carry a double quote or a line break: " + text);
        }
    }
    for (const std::string& scan : scanNames) {
        if (zip && !DayNumber(DayOf(scan))) {
            throw RunTimeError::Refusal("Cannot archive scan " + scan +
                                        ": its day is no three-digit number");
        }
    }
}

std::string RunGoingOnText(const std::string& directory) {
    return "A run of TARN is going on in " + directory + " already; this one is not started";
}

std::string NoDataFilesText(const std::string& mask) {
    std::string directory, pattern;
    SplitMask(mask, directory, pattern);
    if (directory.empty() || directory[0] != kPathSeparator)
        directory = JoinPath(WorkingDirectory(), directory);
    return "No data file matches " + pattern + " in " + directory;
}

void WriteBatchFile(const std::vector<std::string>& lines) {
    gui::SaveLinesAtomically(kRunBatchFile, lines);
}

void WriteCheckOk() {
    gui::SaveLinesAtomically(kCheckOkFile, {"OK"});
}

void DeleteCheckOk() {
    std::remove(ResolveCase(kCheckOkFile).c_str());
}

bool RunCompleted() {
    return FileExists(kCheckResFile);
}

DayVerdict JudgeDayBatch(const BatchEnd& end, bool lastDay, bool markerFound) {
    DayVerdict verdict;
    if (!end.Started) return verdict;
    verdict.GoOn = end.ExitCode == kExitNormal && !end.BreakPressed && (lastDay || markerFound);
    if (verdict.GoOn) return verdict;
    const std::string breakLine = std::string(kBatchStopPrefix) + kBatchBreakReason;
    if (!end.BreakPressed && StartsWith(end.StopLine, kBatchStopPrefix) &&
        end.StopLine != breakLine)
        verdict.Message = end.StopLine;
    else if (end.ExitCode == kExitRunTimeError && !end.BreakPressed && !end.LastErrorLine.empty())
        verdict.Message = end.LastErrorLine;
    else
        verdict.Message = kUserBreakText;
    return verdict;
}

}  // namespace tarn::tarncall
