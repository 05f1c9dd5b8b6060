// Slit-function file: BuildSlitKernel with slit flag '1', for the example's
// FWHM and grid step, a coarse grid, and the degenerate arguments that other
// settings files can hand it (a FWHM of 0 or below).
#include "engine/engine_state.h"
#include "engine/program_state.h"
#include "engine/slit_simulation.h"
#include "fuzz/fuzz_support.h"

namespace {

struct SlitArguments {
    double fwhm;      // nm
    double gridStep;  // nm
    double slitRangeFactor;
};

const SlitArguments kArguments[] = {
    {0.55, 0.01, 2.0}, {1.0, 0.2, 2.0}, {0.55, 0.0001, 2.0}, {-1.0, 0.01, 2.0}, {0.55, 0.01, -3.0}};

tarn::SlitKernel g_kernel;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarn;
    if (size > fuzz::kMaxInputSize) return 0;
    fuzz::FreshEngine();
    const std::string main = Paths.MainPath;
    fuzz::WriteText(main + "exa.sli", fuzz::InputText(data, size));
    for (const SlitArguments& a : kArguments) {
        Engine.SlitRangeFactor = a.slitRangeFactor;
        fuzz::RunReader([&] {
            BuildSlitKernel(g_kernel, {main, '1', "exa.sli", a.fwhm}, a.gridStep);
        });
    }
    return 0;
}
