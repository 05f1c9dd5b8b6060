// Slit kernel (triangle or slit-function file) and convolution of the fine
// spectrum into SimulatedSpectrum; in final mode also a two-column file.
#pragma once

#include <string>

namespace tarn {

// Convolves FineSpectrum at start, start + outputStep, ... end (nm) with the
// slit (slitChar '1': <directory><slitFile>, else a triangle of FWHM `fwhm`)
// on the grid step `gridStep` (nm) and stores the values in SimulatedSpectrum
// indexed by Round((wavelength - 250) / outputStep).
void RunSimulation(const std::string& directory, const std::string& outputName,
                   const std::string& thirdName, double start, double end, double outputStep,
                   double gridStep, double fwhm, char slitChar, const std::string& slitFile);

// The same in final mode: also writes <directory><outputName> ("instr1.out").
void RunFinalSimulation(const std::string& directory, const std::string& outputName,
                        const std::string& thirdName, double start, double end, double outputStep,
                        double gridStep, double fwhm, char slitChar, const std::string& slitFile);

}  // namespace tarn
