// Short defaults file "tarnpelo.dfa": ReadLongDefaults dispatches on the name
// to ReadShortDefaults.
#include "engine/defaults.h"
#include "engine/program_state.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarn;
    if (size > fuzz::kMaxInputSize) return 0;
    fuzz::FreshEngine();
    CommandLine.DefaultsFile = Paths.MainPath + "tarnpelo.dfa";
    fuzz::WriteText(CommandLine.DefaultsFile, fuzz::InputText(data, size));
    fuzz::RunReader([] { ReadLongDefaults(); });
    return 0;
}
