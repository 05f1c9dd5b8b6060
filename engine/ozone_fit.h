// Ozone simulation and fit: reference spectra onto the fine grid, the solar
// zenith angle of the scan, the clear-sky model and Brent's minimisation of
// the shift error ratio over the ozone amount.
#pragma once

#include <string>

namespace tarn {

// Fits the ozone amount x (3700 x = DU) over fitLow..fitHigh (nm) and leaves
// the model of the result in FineSpectrum and SimulatedSpectrum.  `ozone` is
// the given amount on entry (used with "no_fit" in `option`) and the result on
// return; `zenithAngle` receives the scan's solar zenith angle (degrees).
void RunOzoneSimulation(const std::string& mainPath, const std::string& refDataPath,
                        const std::string& settingsFile, const std::string& fileCode,
                        double fitLow, double fitHigh, double fwhm, char slitChar, double& shift,
                        double& uncertainty, double& errorRatio, double& ozone,
                        double& zenithAngle, const std::string& option);

}  // namespace tarn
