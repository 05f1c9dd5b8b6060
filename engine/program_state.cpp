#include "engine/program_state.h"

#include "engine/formats/result_names.h"
#include "platform/text_format.h"

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
    return PaddedDay(CommandLine.ScanName);
}

std::string ResultDirectory() {
    return ResultDirectoryName(Paths.MainPath, CommandLine.IdMet);
}

std::string ScanFilePath() {
    return Instrument.MeasurementDirectory + CommandLine.ScanName + Instrument.MeasurementExtension;
}

std::string ScanLine() {
    return ScanFilePath() + " " + CommandLine.IdShift + " " + CommandLine.IdSpecout + " " +
           CommandLine.IdShifAppl;
}

std::string RunDateText() {
    return IntW(RunDate.Year, 4) + " Month " + IntW(RunDate.Month, 2) + " Day " +
           IntW(RunDate.Day, 2) + " Time: " + IntW(RunDate.Hour, 2) + ":" + IntW(RunDate.Minute, 2);
}

}  // namespace tarn
