// Timing of the ozone fit (Brent's method over the clear-sky model, its slit
// simulation and the shift determination of the fit window) and of one
// window's shift determination, on the noon scan of the example day.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "engine/defaults.h"
#include "engine/engine_state.h"
#include "engine/instrument_file.h"
#include "engine/main_flow.h"
#include "engine/ozone_fit.h"
#include "engine/program_state.h"
#include "engine/scan_reading.h"
#include "engine/wavelength_shift.h"
#include "platform/console.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace {

using namespace tarn;

const std::string kExample = std::string(TARN_SOURCE_DIR) + "/examples/day/";
const std::string kScan = "1731100";

std::ostringstream g_console;
std::string g_work;

// One ozone fit over the example's fit window; `option` as the main flow
// passes it (">1" keeps the loaded reference spectra).  Returns the amount.
double FitOnce(const std::string& option) {
    return RunOzoneSimulation({Paths.MainPath, Paths.RefDataPath, Instrument.SettingsFileName,
                               Scan.MeasurementFileCode, Windows.Lower[0], Windows.Upper[0],
                               Instrument.Fwhm, Instrument.SlitChar, 0.09, option})
        .Ozone;
}

// Engine state as the main flow leaves it before the ozone stage, in a fresh
// copy of the example day: defaults, instrument file, analysis settings file
// and the scan; the reference spectra are loaded once.
void PrepareOnce() {
    if (!g_work.empty()) return;
    char pattern[] = "/tmp/tarn_bench.XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    g_work = pattern;
    std::filesystem::copy(kExample, g_work, std::filesystem::copy_options::recursive);
    if (chdir(g_work.c_str()) != 0) std::abort();
    SetConsole(&g_console);
    ResetEngineState();
    ResetProgramState();
    InitEngineState();
    SetInternalDefaults();
    CommandLine.ScanName = kScan;
    CommandLine.IdMet = "exa";
    CommandLine.DefaultsFile = "tarn_exa.dfa";
    ReadLongDefaults();
    Inlezen_Instrument();
    Paths.SimulationFileName += CommandLine.IdMet;
    WriteOzoneShiftSettings();
    DayNumberToFileCode();
    std::string scanPath =
        Instrument.MeasurementDirectory + kScan + Instrument.MeasurementExtension;
    TextIn scan;
    scan.OpenOrThrow(scanPath);
    ReadScan(scan, scanPath);
    FitOnce("no_fit");
}

void BM_OzoneFit(benchmark::State& state) {
    PrepareOnce();
    double ozone = 0;
    for (auto _ : state) {
        ozone = FitOnce(">1");
        g_console.str(std::string());
    }
    state.counters["DU"] = ozone * 3700;
}
BENCHMARK(BM_OzoneFit)->Unit(benchmark::kMillisecond);

void BM_WindowShift(benchmark::State& state) {
    PrepareOnce();
    double shift = 0;
    for (auto _ : state) {
        shift =
            DetermineShift(Paths.MainPath, Paths.MainPath, Instrument.SettingsFileName, 310, 326)
                .Shift;
    }
    state.counters["shift_nm"] = shift;
}
BENCHMARK(BM_WindowShift)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
