// Instrument defaults file <main path><id>.dfa: Inlezen_Instrument, then the
// settings it read put to use by the scan reading on a small fixed scan
// (header line count, line step, irradiance factor, range end).
#include "engine/instrument_file.h"
#include "engine/main_flow.h"
#include "engine/program_state.h"
#include "engine/scan_reading.h"
#include "fuzz/fuzz_support.h"
#include "platform/text_file.h"

namespace {

// Twelve lines of a scan: 290 to 295.5 nm at 0.5 nm.
const char* const kScan =
    "290.0 1.0E-06\n290.5 2.0E-06\n291.0 3.0E-06\n291.5 4.0E-06\n292.0 5.0E-06\n"
    "292.5 6.0E-06\n293.0 7.0E-06\n293.5 8.0E-06\n294.0 9.0E-06\n294.5 1.0E-05\n"
    "295.0 1.1E-05\n295.5 1.2E-05\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarn;
    if (size > fuzz::kMaxInputSize) return 0;
    fuzz::FreshEngine();
    CommandLine.IdMet = "exa";
    fuzz::WriteText(Paths.MainPath + "exa.dfa", fuzz::InputText(data, size));
    fuzz::RunReader([] {
        Inlezen_Instrument();
        ClipWindows();
        TextIn scan;
        scan.OpenText("1731230.exa", kScan);
        ReadScan(scan, "1731230.exa");
    });
    return 0;
}
