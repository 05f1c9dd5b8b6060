#include "engine/ozone_fit.h"

namespace tarn {

void RunOzoneSimulation(const std::string&, const std::string&, const std::string&,
                        const std::string&, double, double, double, char, double& shift,
                        double& uncertainty, double& errorRatio, double&, double&,
                        const std::string&) {
    shift = 0.0;
    uncertainty = 0.0;
    errorRatio = 0.0;
}

}  // namespace tarn
