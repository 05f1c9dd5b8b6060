#include "engine/wavelength_shift.h"

namespace tarn {

ShiftStepTable StepTable;

void DetermineShift(const std::string& /*firstDirectory*/, const std::string& /*secondDirectory*/,
                    const std::string& /*settingsFile*/, double /*windowStart*/,
                    double /*windowEnd*/, double& shift, double& uncertainty, double& errorRatio,
                    std::string& status) {
    shift = 0.0;
    uncertainty = 9.999;
    errorRatio = 9.999;
    status = "! NOT_SIGNIFICANT ";
}

}  // namespace tarn
