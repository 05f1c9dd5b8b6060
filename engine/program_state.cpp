#include "engine/program_state.h"

#include "platform/paths.h"

namespace tarn {

CommandLineArgs CommandLine;
RunState Flow;
RunDateTime RunDate;
PathsAndNames Paths;
AnalysisSettings Analysis;
QcTables Qc;
ShiftWindowTable Windows;
InstrumentSettings Instrument;
MeasuredScan Scan;
QcResults QcOut;

void ResetProgramState() {
    CommandLine = CommandLineArgs{};
    Flow = RunState{};
    RunDate = RunDateTime{};
    Paths = PathsAndNames{};
    Analysis = AnalysisSettings{};
    Qc = QcTables{};
    Windows = ShiftWindowTable{};
    Instrument = InstrumentSettings{};
    Scan = MeasuredScan{};
    QcOut = QcResults{};
}

std::string DayPart() {
    std::string day = CommandLine.ScanName.substr(0, 3);
    while (day.size() < 3) day.insert(day.begin(), '0');
    return day;
}

std::string ResultDirectory() {
    return Paths.MainPath + CommandLine.IdMet + kPathSeparator;
}

}  // namespace tarn
