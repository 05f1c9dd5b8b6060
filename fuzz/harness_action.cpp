// Action spectrum: ComputeEffectiveUv with an efuv.dfa whose first action
// file holds the input (the second is the example's erythema curve).
#include <filesystem>

#include "engine/effective_uv.h"
#include "engine/engine_state.h"
#include "engine/program_state.h"
#include "fuzz/fuzz_support.h"

namespace {

const char* const kDefaults =
    "3\nuv315\n315.0\nuv320\n320.0\nuv400\n400.0\n2\naction.dat\nerythema.dat\nband\n2\n"
    "290.0 315.0\n315.0 400.0\n*\n1 3\n";
const char* const kErythema = "285.0 1.0\n298.0 1.0\n328.0 0.0016\n400.0 0.00012\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarn;
    if (size > fuzz::kMaxInputSize) return 0;
    fuzz::FreshEngine();
    const std::string main = Paths.MainPath;
    const std::string actions = main + "etoz/";
    std::filesystem::create_directories(main + "exa");
    std::filesystem::create_directory(actions);
    fuzz::WriteText(actions + "erythema.dat", kErythema);
    fuzz::WriteText(actions + "action.dat", fuzz::InputText(data, size));
    const std::string defaults = main + "efuv.dfa";
    fuzz::WriteText(defaults, kDefaults);
    fuzz::WriteText(main + "header.txt", "! header\n\n");
    for (int i = 0; i <= 4000; i += 50) Spectra.FineSpectrum[i] = 1.0e-3 * i;
    const std::string result = main + "exa/efuv/";
    fuzz::RunReader([&] {
        PrepareEffectiveUvFiles(result, "1731230", defaults, main + "header.txt", "exa");
        double start = 300.0, last = 400.0;
        ComputeEffectiveUv(result, "1731230", defaults, actions, "exa", 285.0, 410.0, 35.0, 0.05,
                           start, last);
    });
    return 0;
}
