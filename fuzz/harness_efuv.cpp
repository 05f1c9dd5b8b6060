// Effective-UV defaults "efuv.dfa": PrepareEffectiveUvFiles (the day's files
// with their headers), then ComputeEffectiveUv with the example's action
// spectra, and a no-data row as for a missing scan.
#include "engine/effective_uv.h"
#include "fuzz/fuzz_support.h"

namespace {

const char* const kHeader = "! header of the scan\n! second line\n\n! after the empty line\n";

// Action spectra of the example's efuv.dfa: a few points each.
const std::vector<std::pair<std::string, std::string>> kActions = {
    {"erythema.dat", "285.0 1.0\n298.0 1.0\n328.0 0.0016\n400.0 0.00012\n"},
    {"vitd_cie.dat", "285.0 0.689\n300.0 1.0\n330.0 0.0001\n"},
    {"dna_gm.dat", "285.0 13.6\n300.0 1.5\n340.0 0.0001\n370.0 0.0\n"}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarn;
    if (size > fuzz::kMaxInputSize) return 0;
    fuzz::FreshEngine();
    fuzz::EffectiveUvRun run =
        fuzz::PrepareEffectiveUv(kActions, fuzz::InputText(data, size), kHeader);
    fuzz::RunReader([&] {
        fuzz::RunEffectiveUv(run);
        WriteEffectiveUvNoData(run.Result, "1731300", run.Defaults, "exa");
    });
    return 0;
}
