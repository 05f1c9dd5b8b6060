// Action spectrum: ComputeEffectiveUv with an efuv.dfa whose first action
// file holds the input (the second is the example's erythema curve).
#include "engine/effective_uv.h"
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
    fuzz::EffectiveUvRun run = fuzz::PrepareEffectiveUv(
        {{"erythema.dat", kErythema}, {"action.dat", fuzz::InputText(data, size)}}, kDefaults,
        "! header\n\n");
    fuzz::RunReader([&] { fuzz::RunEffectiveUv(run); });
    return 0;
}
