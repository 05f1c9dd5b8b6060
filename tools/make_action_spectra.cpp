// Writes the action-spectrum files and the effective-UV defaults file of the
// example data set from the published definitions of the spectra:
//   make_action_spectra <uvanalys directory>
// writes <dir>/efuv.dfa and <dir>/etoz/{erythema,vitd_cie,dna_gm}.dat,
// lines "wavelength weight" in 1 nm steps over 285..410 nm where each
// spectrum is defined, ascending, without a header.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace {

using tarn::Fixed;
using tarn::Sci;

constexpr int kGridLow = 285;   // nm, the engine's model grid
constexpr int kGridHigh = 410;  // nm

// CIE erythema reference action spectrum (McKinlay & Diffey 1987; CIE S 007/E:1998,
// ISO 17166:1999), with the standard constant 140 in the UVA branch.
double Erythema(double nm) {
    if (nm <= 298.0) return 1.0;
    if (nm <= 328.0) return std::pow(10.0, 0.094 * (298.0 - nm));
    return std::pow(10.0, 0.015 * (140.0 - nm));
}

// Generalised DNA damage (Setlow 1974) in the analytic form of Green and
// Miller (1975), normalised to 1 at 300 nm.  The fit runs below Setlow's
// tabulated spectrum (about 7 % on a clear-sky midday dose), so the file is
// named after the fit, not after the table.
double DnaGreenMiller(double nm) {
    auto raw = [](double x) {
        return std::exp(13.82 * (1.0 / (1.0 + std::exp((x - 310.0) / 9.0)) - 1.0));
    };
    return raw(nm) / raw(300.0);
}

// Previtamin-D3 production in human skin, CIE 174:2006, 1 nm table from 285 nm.
const double kVitaminD[] = {0.689,   0.725,   0.763,   0.805,   0.842,   0.878,   0.903,   0.928,
                            0.952,   0.976,   0.983,   0.990,   0.996,   1.000,   0.977,   0.951,
                            0.917,   0.878,   0.771,   0.701,   0.634,   0.566,   0.488,   0.395,
                            0.306,   0.220,   0.156,   0.119,   0.083,   0.049,   0.034,   0.020,
                            1.41e-2, 9.76e-3, 6.52e-3, 4.36e-3, 2.92e-3, 1.95e-3, 1.31e-3, 8.73e-4,
                            5.84e-4, 3.90e-4, 2.61e-4, 1.75e-4, 1.17e-4, 7.80e-5};  // 285..330 nm

void WriteSpectrum(const std::string& path, int first, int last, double (*weight)(double)) {
    std::vector<std::string> lines;
    for (int nm = first; nm <= last; ++nm) lines.push_back(Fixed(nm, 5, 1) + Sci(weight(nm)));
    tarn::CreateWithLines(path, lines);
}

double VitaminD(double nm) {
    return kVitaminD[static_cast<int>(nm) - kGridLow];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_action_spectra <uvanalys directory>\n");
        return 1;
    }
    std::string dir = tarn::AsDirectory(argv[1]);
    std::string etoz = dir + "etoz" + tarn::kPathSeparator;
    tarn::MakeDirectory(dir.substr(0, dir.size() - 1));
    tarn::MakeDirectory(etoz.substr(0, etoz.size() - 1));
    try {
        WriteSpectrum(etoz + "erythema.dat", kGridLow, 400, Erythema);
        WriteSpectrum(etoz + "vitd_cie.dat", kGridLow, 330, VitaminD);
        WriteSpectrum(etoz + "dna_gm.dat", kGridLow, kGridHigh, DnaGreenMiller);
        // Cut-offs at the UVB limits and the end of the UVA; the three spectra;
        // UVB, UVA and both as bands; the fractions refer to the erythemal
        // dose up to 400 nm (action 1, cut-off 3).
        tarn::CreateWithLines(
            dir + "efuv.dfa",
            {"3", "uv315", "315.0", "uv320", "320.0", "uv400", "400.0", "3", "erythema.dat",
             "vitd_cie.dat", "dna_gm.dat", "band", "3", "290.0 315.0", "315.0 400.0",
             "290.0 400.0", "*", "1 3"});
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_action_spectra: %s\n", error.what());
        return 2;
    }
    return 0;
}
