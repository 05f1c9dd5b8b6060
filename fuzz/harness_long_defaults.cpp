// Long defaults file: ReadLongDefaults on the file named on the command line,
// then the effective defaults "tarn_e.dfa" written from what it read; and the
// locator of the windowed programs on the same lines, which must never fail
// and, where the engine read the file, must find the engine's counts.
#include <cstdlib>

#include "engine/defaults.h"
#include "engine/formats/quality_table_layout.h"
#include "engine/program_state.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarn;
    if (size > fuzz::kMaxInputSize) return 0;
    fuzz::FreshEngine();
    const std::string main = Paths.MainPath;
    const std::string text = fuzz::InputText(data, size);
    CommandLine.DefaultsFile = main + "tarn_fz.dfa";
    fuzz::WriteText(CommandLine.DefaultsFile, text);
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    const LongDefaultsLayout layout = LocateLongDefaults(lines);
    fuzz::RunReader([&] {
        ReadLongDefaults();
        const CriteriaInForce criteria = CriteriaCountsInForce(Qc.CriteriaCount, Qc.StartCriterion);
        if (layout.CriteriaCount != criteria.Count || layout.StartCriterion != criteria.Start ||
            layout.WindowCount != Windows.Count || layout.ZenithRowCount != Qc.ZenithRowCount)
            std::abort();  // the locator disagrees with the engine's reader
        // The main path is a setting of the file; the writer's place is not fuzzed.
        Paths.MainPath = main;
        WriteEffectiveDefaults();
    });
    return 0;
}
