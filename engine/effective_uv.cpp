#include "engine/effective_uv.h"

namespace tarn {

void PrepareEffectiveUvFiles(const std::string&, const std::string&, const std::string&,
                             const std::string&, const std::string&) {}

void ComputeEffectiveUv(const std::string&, const std::string&, const std::string&,
                        const std::string&, const std::string&, double, double, double, double,
                        double& startWavelength, double& lastWavelength) {
    startWavelength = -1.0;
    lastWavelength = -1.0;
}

void WriteEffectiveUvNoData(const std::string&, const std::string&, const std::string&,
                            const std::string&) {}

}  // namespace tarn
