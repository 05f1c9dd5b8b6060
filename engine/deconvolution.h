// Iterative deconvolution of the measured scan onto the fine grid.
#pragma once

#include <string>

namespace tarn {

// Clears the stage's state as at program start (the main flow, at the start
// of every run).
void ResetDeconvolution();

// Corrects FineSpectrum in `stepCount` multiplicative steps so that its
// convolution with the instrument slit reproduces the measured irradiances.
// Reads lines 14-18 of <directory><settingsFile>; writes <directory>decon.log
// and <directory><outputName>.
void RunDeconvolution(const std::string& directory, const std::string& settingsFile,
                      const std::string& outputName, const std::string& simulatedName,
                      const std::string& measurementCopyName, unsigned stepCount);

}  // namespace tarn
