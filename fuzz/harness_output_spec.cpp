// Output specification "output.dfa": Specify_output on "output.dfa" in the
// work directory, named relative to it so that an input whose first line is
// "output.dfa" names itself; "output2.dfa" holds the input too, for the one
// level of redirection.
#include "engine/output_spec.h"
#include "engine/program_state.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarn;
    if (size > fuzz::kMaxInputSize) return 0;
    fuzz::FreshEngine();
    const std::string text = fuzz::InputText(data, size);
    fuzz::WriteText(Paths.MainPath + "output.dfa", text);
    fuzz::WriteText(Paths.MainPath + "output2.dfa", text);
    fuzz::RunReader([] { Specify_output("output.dfa"); });
    return 0;
}
