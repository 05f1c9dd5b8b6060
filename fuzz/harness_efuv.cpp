// Effective-UV defaults "efuv.dfa": PrepareEffectiveUvFiles (the day's files
// with their headers), then ComputeEffectiveUv with the example's action
// spectra, and a no-data row as for a missing scan.
#include <filesystem>

#include "engine/effective_uv.h"
#include "engine/engine_state.h"
#include "engine/program_state.h"
#include "fuzz/fuzz_support.h"

namespace {

const char* const kHeader = "! header of the scan\n! second line\n\n! after the empty line\n";

// Action spectra of the example's efuv.dfa: a few points each.
const char* const kActions[][2] = {
    {"erythema.dat", "285.0 1.0\n298.0 1.0\n328.0 0.0016\n400.0 0.00012\n"},
    {"vitd_cie.dat", "285.0 0.689\n300.0 1.0\n330.0 0.0001\n"},
    {"dna_gm.dat", "285.0 13.6\n300.0 1.5\n340.0 0.0001\n370.0 0.0\n"}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarn;
    if (size > fuzz::kMaxInputSize) return 0;
    fuzz::FreshEngine();
    const std::string main = Paths.MainPath;
    const std::string actions = main + "etoz/";
    std::filesystem::create_directories(main + "exa");
    std::filesystem::create_directory(actions);
    for (const auto& a : kActions) fuzz::WriteText(actions + a[0], a[1]);
    fuzz::WriteText(main + "header.txt", kHeader);
    const std::string defaults = main + "efuv.dfa";
    fuzz::WriteText(defaults, fuzz::InputText(data, size));
    for (int i = 0; i <= 4000; i += 50) Spectra.FineSpectrum[i] = 1.0e-3 * i;
    const std::string result = main + "exa/efuv/";
    fuzz::RunReader([&] {
        PrepareEffectiveUvFiles(result, "1731230", defaults, main + "header.txt", "exa");
        double start = 300.0, last = 400.0;
        ComputeEffectiveUv(result, "1731230", defaults, actions, "exa", 285.0, 410.0, 35.0, 0.05,
                           start, last);
        WriteEffectiveUvNoData(result, "1731300", defaults, "exa");
    });
    return 0;
}
