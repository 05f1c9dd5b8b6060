// Reference spectra: LoadSolarAndOzoneTables on the extraterrestrial spectrum
// and the ozone cross-section.  An input line "@@" splits the input into the
// two files; without it both files hold the whole input.
#include <filesystem>

#include "engine/ozone_fit.h"
#include "engine/program_state.h"
#include "fuzz/fuzz_support.h"

namespace {

struct GridSettings {
    double low, high, step, margin;  // nm
    double etOffset, o3Offset;       // nm
};

// The example's model grid, then a coarse grid with offsets.
const GridSettings kSettings[] = {{285.0, 410.0, 0.01, 2.0, 0.0, 0.0},
                                  {285.0, 410.0, 0.05, 3.5, -0.5, 0.3}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarn;
    if (size > fuzz::kMaxInputSize) return 0;
    fuzz::FreshEngine();
    const std::string text = fuzz::InputText(data, size);
    const std::string marker = "\n@@\n";
    size_t split = text.find(marker);
    const std::string dir = Paths.MainPath + "etoz/";
    std::filesystem::create_directory(dir);
    fuzz::WriteText(dir + "etsyn.et",
                    split == std::string::npos ? text : text.substr(0, split + 1));
    fuzz::WriteText(dir + "o3syn.wgt",
                    split == std::string::npos ? text : text.substr(split + marker.size()));
    for (const GridSettings& g : kSettings) {
        OzoneFit = OzoneFitState{};
        OzoneFit.MainPath = Paths.MainPath;
        OzoneFit.RefDataPath = dir;
        OzoneFit.EtFileName = "etsyn.et";
        OzoneFit.CrossSectionFileName = "o3syn.wgt";
        OzoneFit.GridLow = g.low;
        OzoneFit.GridHigh = g.high;
        OzoneFit.GridStep = g.step;
        OzoneFit.GridMargin = g.margin;
        OzoneFit.EtOffset = g.etOffset;
        OzoneFit.CrossSectionOffset = g.o3Offset;
        fuzz::RunReader([] { LoadSolarAndOzoneTables(); });
    }
    return 0;
}
