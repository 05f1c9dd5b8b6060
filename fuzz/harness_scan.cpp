// Scan file: ReadScan after the example instrument's settings are read.
#include "engine/instrument_file.h"
#include "engine/main_flow.h"
#include "engine/program_state.h"
#include "engine/scan_reading.h"
#include "fuzz/fuzz_support.h"
#include "platform/text_file.h"

namespace {

// The example instrument: 290-400 nm at 0.5 nm, no header lines, line step 1.
const char* const kInstrument = "ozonshi.dfa\n0\n.exa\nuvdata/\n290 400 0.5\n1\n1\n0.55\n1\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarn;
    if (size > tarn::fuzz::kMaxInputSize) return 0;
    fuzz::FreshEngine();
    CommandLine.IdMet = "exa";
    fuzz::WriteText(Paths.MainPath + "exa.dfa", kInstrument);
    const std::string path = Paths.MainPath + "1731230.exa";
    fuzz::WriteText(path, fuzz::InputText(data, size));
    fuzz::RunReader([&] {
        Inlezen_Instrument();
        ClipWindows();
        TextIn scan;
        if (!scan.Open(path)) return;
        ReadScan(scan, path);
        ClipWindows();
    });
    return 0;
}
