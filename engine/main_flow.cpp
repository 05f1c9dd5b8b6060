#include "engine/main_flow.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "engine/deconvolution.h"
#include "engine/defaults.h"
#include "engine/effective_uv.h"
#include "engine/engine_state.h"
#include "engine/formats/result_names.h"
#include "engine/install.h"
#include "engine/instrument_file.h"
#include "engine/output_spec.h"
#include "engine/ozone_fit.h"
#include "engine/program_state.h"
#include "engine/qc_report.h"
#include "engine/result_files.h"
#include "engine/run_clock.h"
#include "engine/scan_reading.h"
#include "engine/shift_results.h"
#include "engine/slit_simulation.h"
#include "engine/spikes.h"
#include "engine/structure_check.h"
#include "engine/wavelength_shift.h"
#include "platform/console.h"
#include "platform/file_transaction.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "platform/run_lock.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

// Journal of the result files' commit, in the main path.
constexpr const char* kJournalName = "tarnpelo.jnl";
constexpr const char* kUsageLine =
    "TARNpelo [DDDhhmm] [id_met] <path+defaultsfilename> <id_shift> <id_specout> "
    "<id_shif_appl>";

RunTimer g_timer;

std::string FirstChar(const std::string& text) {
    return text.substr(0, 1);
}

// Creates a result directory from a name that ends in the separator (the last
// character is dropped); errors are ignored.
void MakeResultDirectory(const std::string& name) {
    if (name.empty()) return;
    MakeDirectory(name.substr(0, name.size() - 1));
}

// The stages' own records, as at program start: nothing of a run reaches the next.
void ResetStageStates() {
    ResetShiftUnit();
    ResetOzoneFit();
    ResetSimulationUnit();
    ResetShiftResults();
    ResetDeconvolution();
    ResetStructureCheck();
    ResetEffectiveUv();
    ResetQcReport();
}

// Phase 1: clock, date and time, built-in defaults, logs and banner.
void StartUp() {
    Instrument.NoIdMet = false;
    StartRunTimer(g_timer);
    uint16_t year, month, day, dayOfWeek, hour, minute, second, hundredth;
    GetDateParts(year, month, day, dayOfWeek);
    GetTimeParts(hour, minute, second, hundredth);
    RunDate = RunDateTime{year, month, day, dayOfWeek, hour, minute, second, hundredth};
    SetInternalDefaults();
    Paths.MainPath = WorkingDirectory();
    PrepareLogFiles(Paths.MainPath);
    if (Engine.Switches.Log_main_tarn) {
        LogLines({kVersionBanner, "! Calculated : " + RunDateText()});
    }
}

// Phase 2: the command line and the defaults file.
void ReadCommandLine(const std::vector<std::string>& args) {
    size_t n = args.size();
    CommandLine.ArgCount = static_cast<int>(n);
    CommandLine.ScanName = n >= 1 ? args[0] : std::string();
    if (n < 2) {
        HandleInstallOrUsage();
    } else {
        CommandLine.IdMet = Cut(args[1], 15);
    }
    CommandLine.DefaultsFile = n >= 3 ? args[2] : kShortDefaultsName;
    ReadLongDefaults();
    LogLine("End reading defaults");
    CommandLine.IdShift = n >= 4 ? FirstChar(args[3]) : "s";
    CommandLine.IdSpecout = n >= 5 ? FirstChar(args[4]) : "i";
    CommandLine.IdShifAppl = n >= 6 ? FirstChar(args[5]) : (Analysis.ShortDefaultsRead ? "W" : "");
    Flow.ShiftCorrectionOn = true;
    Analysis.SpikeCorrectionOn = false;
    if (n >= 7) {
        CommandLine.OptionWord = args[6];
        ApplyOptionWord(args[6]);
    }
}

// Takes the main path's lock, undoes a commit that a killed run left there,
// and opens the transaction over the run's result tree: from here on the
// result files are held in `store` until the run has ended normally (RunTarnpelo).
void ClaimMainPath(RunFileStore& store) {
    LockRunDirectory(Paths.MainPath);
    std::string journal = Paths.MainPath + kJournalName;
    int restored = store.Recover(journal, CommandLine.IdMet);
    if (restored > 0) LogLine("Result files of an interrupted run restored: " + IntText(restored));
    store.Begin(journal,
                {ResultDirectory(), ResultDirectoryName(Paths.ShiftRootPath, CommandLine.IdMet)});
}

// Phase 3: effective defaults, output specification, instrument file.
void ReadSettingsFiles() {
    WriteEffectiveDefaults();
    std::string outputSpec = Paths.MainPath + kOutputSpecName;
    if (TextFileExists(outputSpec)) Specify_output(outputSpec);
    LogLine("procedure Inlezen_Instrument");
    Inlezen_Instrument();
    if (Analysis.ShortDefaultsRead) WriteEffectiveDefaults();
    ClipWindows();
}

// Phase 5: announcement, analysis settings file and result tree.
void PrepareResultTree() {
    std::string name = CommandLine.ScanName + Instrument.MeasurementExtension +
                       "   Year: " + Analysis.MeasurementYear;
    ConsoleLine();
    ConsoleLine(kVersionBanner);
    ConsoleLine("Analysing Measurement: " + name);
    LogLine("Analysing Measurement: " + Instrument.MeasurementDirectory + name);
    Paths.SimulationFileName = Cut(Paths.SimulationFileName + CommandLine.IdMet, 50);
    MakeDirectory(Paths.MainPath + CommandLine.IdMet);
    WriteOzoneShiftSettings();
    DayNumberToFileCode();
    std::string result = ResultDirectory();
    MakeResultDirectory(result + Paths.ShiftSubdir);
    MakeResultDirectory(result + Paths.QaqcSubdir);
    MakeResultDirectory(result + Paths.QaqcSubdir + Paths.StrucSubdir);
    MakeResultDirectory(result + Paths.TransSubdir);
    MakeResultDirectory(result + Paths.QaqcSubdir + AsDirectory(kFlagstatSubdirectory));
}

// Phase 6: files made before the scan is read.
void PrepareScanFiles() {
    long day = 0;
    ParseInt(CommandLine.ScanName.substr(0, 3), day);
    Scan.DayNumber = static_cast<unsigned>(std::clamp(day, 0L, 65535L));
    Scan.EarthSunFactor = EarthSunDistanceFactor(static_cast<uint16_t>(Scan.DayNumber));
    if (Engine.Switches.Corr_waveln) {
        CreateWithLines(
            ResultDirectory() + Paths.ShiftSubdir +
                AppliedShiftName(CommandLine.ScanName, CommandLine.IdShifAppl, CommandLine.IdMet),
            {"!wavel wavelength shift (nm)"});
    }
    CreateWithLines(Paths.MainPath + kCheckFileName, {"OK"});
}

// Phase 9: the error-ratio threshold from the smallest error ratio.
void SetErrorRatioThresholds() {
    if (Analysis.ErHigh < Flow.ErrorRatioMinimum)
        Analysis.ErHigh = Analysis.ErK1 * Flow.ErrorRatioMinimum;
    Windows.ErHigh = Analysis.ErHigh;
    Windows.ErThreshold = Analysis.ErK2 * Flow.ErrorRatioMinimum;
    if (Windows.ErThreshold > Windows.ErHigh) {
        Windows.ErThreshold = Windows.ErHigh;
    } else if (Windows.ErThreshold < Analysis.ErLow) {
        Windows.ErThreshold = Analysis.ErLow;
    }
}

void DetermineWindowShifts() {
    LogLine("Shift determinations: unit SHIFT");
    Flow.ErrorRatioMinimum = 1000.0;
    for (int w = 1; w <= Windows.Count; ++w) {
        const ShiftResult fit =
            DetermineShift(Paths.MainPath, Paths.SecondPath, Instrument.SettingsFileName,
                           Windows.Lower[w], Windows.Upper[w]);
        Windows.Shift[w] = fit.Shift;
        Windows.SdShift[w] = fit.Uncertainty;
        Windows.ErrorRatio[w] = fit.ErrorRatio;
        Scan.HeaderLines[0] = Windows.Status[w] = fit.Status;
        if (Windows.ErrorRatio[w] <= Flow.ErrorRatioMinimum)
            Flow.ErrorRatioMinimum = Windows.ErrorRatio[w];
    }
    SetErrorRatioThresholds();
}

void LogSpikeAndDeconvolutionSteps() {
    if (Analysis.SpikeDetectionOn) {
        LogLines({"Spike_detection applied",
                  Analysis.SpikeCorrectionOn ? "Spike_correction applied"
                                             : "NO Spike_correction applied",
                  "Apply deconvolution"});
    } else {
        LogLines({"NO Spike_detection", "NO Spike_correction applied", "Apply deconvolution"});
    }
}

void RunFinalSimulations() {
    const OutputSwitches& s = Engine.Switches;
    std::string resultFile =
        ResultSpectrumName(CommandLine.ScanName, CommandLine.IdSpecout, CommandLine.IdMet);
    const SimulationRange finalRange{Analysis.FinalSimStart, Analysis.FinalSimEnd,
                                     Analysis.FinalSimStep, Analysis.GridStep};
    if (s.Stand_slit) LogLine("Apply final_sim " + resultFile);
    if (s.Stand_slit || s.Transmission) {
        RunFinalSimulation(
            {Paths.MainPath, Analysis.StdSlitChar, Paths.StdSlitFileName, Analysis.StdFwhm},
            finalRange, kStandardSlitOutput);
    }
    if (s.Instrument_slit) {
        LogLine(LogText()
                    .Text("Final simulation for instrument with FWHM: ")
                    .Fixed(Instrument.Fwhm, 8, 3));
        RunFinalSimulation(
            {Paths.MainPath, Instrument.SlitChar, CommandLine.IdMet + ".sli", Instrument.Fwhm},
            finalRange, kInstrumentSlitOutput);
    }
    if (s.Instrument_slit || s.Stand_slit || s.Transmission) {
        LogLine("Combine results: " + Paths.MainPath + " " + kStandardSlitOutput + " " +
                kInstrumentSlitOutput + " " + Flow.ResultName);
        CombineResults(Paths.MainPath, kStandardSlitOutput, kInstrumentSlitOutput, Flow.ResultName);
    }
}

// Phase 8: the stages.
void RunStages() {
    std::string result = ResultDirectory();
    std::string header = Paths.MainPath + kHeaderFileName;
    std::string efuvDefaults = Paths.MainPath + Paths.EfuvDefaultsName;
    WriteHeaderFile(header);
    PrepareEffectiveUvFiles(result + Paths.EfuvSubdir, CommandLine.ScanName, efuvDefaults, header,
                            CommandLine.IdMet);

    LogLine("Start Ozone simulation: unit OzSimul");
    const OzoneFitResult fit = RunOzoneSimulation(
        {Paths.MainPath, Paths.RefDataPath, Instrument.SettingsFileName, Scan.MeasurementFileCode,
         Windows.Lower[0], Windows.Upper[0], Instrument.Fwhm, Instrument.SlitChar, Flow.GivenOzone,
         Scan.HeaderLines[0]});
    Windows.Shift[0] = fit.Shift;
    Windows.SdShift[0] = fit.Uncertainty;
    Windows.ErrorRatio[0] = fit.ErrorRatio;
    Flow.GivenOzone = fit.Ozone;
    Scan.SolarZenithAngle = fit.ZenithAngle;
    ConsoleLine("Indicative Ozone value calculated: " +
                Fixed(Flow.GivenOzone * kDobsonUnitsPerAmount, 7, 2) + " DU");

    DetermineWindowShifts();
    LogLine("Write Shift Results");
    WriteShiftResults();
    if (Flow.ShiftCorrectionOn) {
        LogLine("Apply shift correction: Shift_correction");
        Shift_correction();
    } else {
        LogLine("NO Shift_correction applied");
    }
    if (Analysis.SpikeDetectionOn) DetectSpikes();
    LogSpikeAndDeconvolutionSteps();
    RunDeconvolution(Paths.MainPath, Instrument.SettingsFileName, Paths.DeconOutputName,
                     Paths.SimSpectrumName, Paths.MeasurementCopyName,
                     static_cast<unsigned>(std::clamp(Analysis.DeconStepCount, 0L, 65535L)));

    LogLine("Apply Check on anomalies in Spectral Structures");
    CheckStructure();
    ConsoleLine("Transmission factor UVB: " + Fixed(QcOut.RatioMean1, 6, 2) +
                " compared to clear sky");
    ConsoleLine("Transmission factor UVA: " + Fixed(QcOut.RatioMean2, 6, 2) +
                " compared to clear sky");

    Flow.ResultName =
        AsDirectory(CommandLine.IdMet) +
        ResultSpectrumName(CommandLine.ScanName, CommandLine.IdSpecout, CommandLine.IdMet);
    RunFinalSimulations();

    LogLine("Effective UV calculation; defaults in: " + Paths.EfuvDefaultsName);
    const EffectiveUvFractions fractions = ComputeEffectiveUv(
        result + Paths.EfuvSubdir, CommandLine.ScanName, efuvDefaults, CommandLine.IdMet,
        {Paths.ActionSpectrumDir, Analysis.GridLow, Analysis.GridHigh, Analysis.GridStep,
         Scan.SolarZenithAngle, StructureStartWavelength(), Instrument.RangeEnd});
    QcOut.EfuvBelowStart = fractions.BelowStart;
    QcOut.EfuvAboveLast = fractions.AboveLast;

    LogLine("Providing QC_report");
    QC_report();
}

// Phase 11: the scan file is missing.
void HandleMissingScan(const std::string& scanPath) {
    CreateWithLines(kCheckFileName, {"error"});
    LogLine("IO error finding:  " + scanPath);
    ConsoleLine("IO error finding:  " + scanPath);
    WriteEffectiveUvNoData(ResultDirectory() + Paths.EfuvSubdir, CommandLine.ScanName,
                           Paths.MainPath + Paths.EfuvDefaultsName, CommandLine.IdMet);
}

// Phase 10: elapsed time.
void EndRun() {
    if (Engine.GridIndexFaults > 0) {
        LogLine("Fine-grid indexes outside 0.." + IntText(kMaxGridIndex) +
                " ignored: " + IntText(Engine.GridIndexFaults));
    }
    StopRunTimer(g_timer);
    LogLine("END of Program " + RunTimerText(g_timer));
    ConsoleLine("END of analysis " + RunTimerText(g_timer) + " sec");
    ConsoleLine();
}

void RunPhases(const std::vector<std::string>& args, RunFileStore& store) {
    StartUp();
    ReadCommandLine(args);
    ClaimMainPath(store);
    ReadSettingsFiles();
    PrepareResultTree();
    ConsoleLine("Start Analyses");
    std::string scanPath = ScanFilePath();
    TextIn scan;
    if (!scan.Open(scanPath)) {
        HandleMissingScan(scanPath);
        EndRun();
        return;
    }
    PrepareScanFiles();
    ReadScan(scan, scanPath);
    ClipWindows();
    RunStages();
    EndRun();
}

// An argument that names a file part but is no plain name, and what it names.
struct UnplainName {
    std::string Name;  // empty when every argument is plain
    const char* What = "";
};

// The first argument that names a file part but is no plain name (a path
// separator of either system, a control character, or "." or ".." as the
// directory of the results).
UnplainName FirstUnplainName(const std::vector<std::string>& args) {
    auto unplain = [](const std::string& name) {
        for (unsigned char c : name)
            if (c == '/' || c == '\\' || c < ' ' || c == 127) return true;
        return false;
    };
    if (!args.empty() && unplain(args[0])) return {args[0], "scan name"};
    if (args.size() >= 2) {
        std::string id = Cut(args[1], 15);
        if (unplain(id) || id == "." || id == "..") return {args[1], "instrument id"};
    }
    for (size_t i = 3; i < 6 && i < args.size(); ++i)
        if (unplain(FirstChar(args[i]))) return {args[i], "result code"};
    return {};
}

// Runs `body`, turning the engine's ends into the exit code; the run-time
// error report goes to standard error.
template <class Body>
int RunGuarded(Body body) {
    try {
        body();
        return kExitNormal;
    } catch (const EngineExit& end) {
        return end.Code;
    } catch (const RunTimeError& error) {
        std::cerr << kRunTimeErrorPrefix << error.Report() << std::endl;
    } catch (const std::exception& error) {
        std::cerr << kRunTimeErrorPrefix << "run-time error: " << error.what() << std::endl;
    }
    return kExitRunTimeError;
}

}  // namespace

void ApplyOptionWord(const std::string& word) {
    if (word.find("no_sh_cor") != std::string::npos) Flow.ShiftCorrectionOn = false;
    size_t fit = word.find("no_fit");
    if (fit != std::string::npos) {
        double amount = 0.0;
        if (ParseReal(word.substr(0, fit), amount)) {
            Scan.HeaderLines[0] = "no_fit";
            Flow.GivenOzone = amount;
        } else {
            ConsoleLine(" Warning: no ozone amount before \"no_fit\" in option word " + word +
                        "; the ozone is fitted");
        }
    }
    if (word.find("spike_cor") != std::string::npos)
        Analysis.SpikeCorrectionOn = word.find("no_spike_cor") == std::string::npos;
}

void ClipWindows() {
    int count = Windows.Count;
    if (count < 1 || count > kMaxWindows) {
        int clamped = std::clamp(count, 1, kMaxWindows);
        LogLine("Window count " + IntText(count) + " outside 1.." + IntText(kMaxWindows) +
                "; taken as " + IntText(clamped));
        count = clamped;
    }
    int result = 1;
    for (int w = count; w >= 2; --w) {
        if (Windows.Upper[w] <= Instrument.RangeEnd) {
            result = w;
            break;
        }
    }
    Windows.Count = result;
}

void DayNumberToFileCode() {
    long year = 0;
    ParseIntTrimmed(Analysis.MeasurementYear, year);
    int lengths[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year % 4 == 0) lengths[2] = 29;
    long d = 0;
    if (!ParseInt(CommandLine.ScanName.substr(0, 3), d)) {
        ConsoleLine(" Error occurred determining daynr from measurement filename: " +
                    CommandLine.ScanName);
        d = 0;
    }
    if (d < 0) d = 0;
    int month = 1;
    long before = 0;
    // The first month whose cumulative count reaches d; December for a day past the year.
    while (month < 12 && before + lengths[month] < d) before += lengths[month++];
    long dayOfMonth = d - before;
    auto two = [](long v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    std::string hhmm = CommandLine.ScanName.size() > 3 ? CommandLine.ScanName.substr(3, 4) : "";
    Scan.MeasurementFileCode = two(month) + two(dayOfMonth) + hhmm + Analysis.MeasurementYear;
}

double EarthSunDistanceFactor(uint16_t day) {
    double b = 2 * kPi * (day - 1) / 365;
    return 1.00011 + 0.034221 * std::cos(b) + 0.00128 * std::sin(b) + 0.000719 * std::cos(2 * b) +
           0.000077 * std::sin(2 * b);
}

int RunTarnpelo(const std::vector<std::string>& args) {
    UnplainName unplain = FirstUnplainName(args);
    if (!unplain.Name.empty()) {
        std::cerr << kRunTimeErrorPrefix << "the " << unplain.What << " \""
                  << ControlsShown(unplain.Name) << "\" is not a plain name; usage: " << kUsageLine
                  << std::endl;
        return kExitRunTimeError;
    }
    // The working directory's lock comes before its logs are touched.
    LockRunDirectory(std::string());
    // Every file of the run is read and written through its store.
    RunFileStore store;
    ScopedFileStore installed(store);
    int code = RunGuarded([&args, &store] {
        ResetEngineState();
        ResetProgramState();
        ResetStageStates();
        InitEngineState();
        RunPhases(args, store);
    });
    // The result files are written last, so that exit code 0 and written
    // results go together: a normal end (also an orderly end inside the flow,
    // a scan out of range) commits them, a halt or an error drops them.
    if (code == kExitNormal) code = RunGuarded([&store] { store.Commit(); });
    if (code != kExitNormal) store.Abandon();
    ReleaseRunDirectories();
    Console().flush();
    return code;
}

}  // namespace tarn
