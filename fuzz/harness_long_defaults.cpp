// Long defaults file: ReadLongDefaults on the file named on the command line,
// then the effective defaults "tarn_e.dfa" written from what it read.
#include "engine/defaults.h"
#include "engine/program_state.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarn;
    if (size > fuzz::kMaxInputSize) return 0;
    fuzz::FreshEngine();
    const std::string main = Paths.MainPath;
    CommandLine.DefaultsFile = main + "tarn_fz.dfa";
    fuzz::WriteText(CommandLine.DefaultsFile, fuzz::InputText(data, size));
    fuzz::RunReader([&] {
        ReadLongDefaults();
        // The main path is a setting of the file; the writer's place is not fuzzed.
        Paths.MainPath = main;
        WriteEffectiveDefaults();
    });
    return 0;
}
