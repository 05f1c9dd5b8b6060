// Timing of the ozone fit (Brent's method over the clear-sky model, its slit
// simulation and the shift determination of the fit window) and of one
// window's shift determination, on the noon scan of the example day.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/defaults.h"
#include "engine/engine_state.h"
#include "engine/ozone_fit.h"
#include "engine/program_state.h"
#include "engine/wavelength_shift.h"
#include "platform/console.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace {

using namespace tarn;

const std::string kExample = std::string(TARN_SOURCE_DIR) + "/examples/day/";
const std::string kScan = "1731100";
const std::string kFileCode = "062211002021";

std::ostringstream g_console;
std::string g_work;

// The analysis settings file as the engine writes it for the example instrument.
void WriteSettings(const std::string& path) {
    const double margin = 2.0;
    CreateWithLines(path, {"ozon_shi.exa",
                           Sci(0.9),
                           "1",
                           "meting.met",
                           "shift.shi",
                           "curve.shi",
                           Fixed(11, 10, 4) + Fixed(48, 10, 4) + " geo_long  and geolat",
                           Fixed(0, 10, 3) + Fixed(0, 10, 3) + " susim en ozonX shift normaal=0",
                           "etsyn.et",
                           "ozonsim.hsp",
                           "ozon_shi.exa",
                           "o3syn.wgt",
                           "exa",
                           Sci(285 - margin) + " " + Sci(410 + margin) + " " + Sci(0.01),
                           Sci(290) + " " + Sci(400) + " " + Sci(0.5),
                           Sci(0.55),
                           "1",
                           "exa.sli",
                           Sci(0) + " " + Sci(0.5) + " " + Sci(0.01) + " " + Sci(0.12),
                           "3",
                           Sci(0.2) + Sci(0.04) + Sci(0.02),
                           Sci(margin) + " " + Sci(2.0),
                           Sci(290) + " " + Sci(400),
                           "0 0 0 0"});
}

void LoadScan() {
    std::ifstream in(kExample + "uvdata/exa/" + kScan + ".exa");
    double wl = 0, e = 0;
    int n = 0;
    while (in >> wl >> e) {
        ++n;
        Spectra.MeasuredWavelengths[n] = wl;
        Spectra.MeasuredIrradiances[n] = e;
    }
    Spectra.MeasuredWavelengths[0] = Spectra.MeasuredIrradiances[0] = n;
}

// Engine state as the main flow leaves it before the ozone stage, in a
// scratch working directory; the reference spectra are loaded once.
void PrepareOnce() {
    if (!g_work.empty()) return;
    char pattern[] = "/tmp/tarn_bench.XXXXXX";
    if (mkdtemp(pattern) == nullptr || chdir(pattern) != 0) std::abort();
    g_work = std::string(pattern) + "/";
    SetConsole(&g_console);
    ResetEngineState();
    ResetProgramState();
    InitEngineState();
    SetInternalDefaults();
    StepTable.LevelCount = 3;
    WriteSettings(g_work + "ozonshi.dfa");
    std::ifstream slit(kExample + "uvanalys/exa.sli");
    std::ofstream(g_work + "exa.sli") << slit.rdbuf();
    LoadScan();
    double shift, uncertainty, errorRatio, ozone = 0.09, zenith;
    RunOzoneSimulation(g_work, kExample + "uvanalys/etoz/", "ozonshi.dfa", kFileCode, 305, 330,
                       0.55, '1', shift, uncertainty, errorRatio, ozone, zenith, "no_fit");
}

void BM_OzoneFit(benchmark::State& state) {
    PrepareOnce();
    double ozone = 0;
    for (auto _ : state) {
        double shift, uncertainty, errorRatio, zenith;
        ozone = 0;
        RunOzoneSimulation(g_work, kExample + "uvanalys/etoz/", "ozonshi.dfa", kFileCode, 305, 330,
                           0.55, '1', shift, uncertainty, errorRatio, ozone, zenith, ">1");
        g_console.str(std::string());
    }
    state.counters["DU"] = ozone * 3700;
}
BENCHMARK(BM_OzoneFit)->Unit(benchmark::kMillisecond);

void BM_WindowShift(benchmark::State& state) {
    PrepareOnce();
    double shift = 0;
    for (auto _ : state) {
        double uncertainty, errorRatio;
        std::string status;
        DetermineShift(g_work, g_work, "ozonshi.dfa", 310, 326, shift, uncertainty, errorRatio,
                       status);
    }
    state.counters["shift_nm"] = shift;
}
BENCHMARK(BM_WindowShift)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
