#include "engine/slit_simulation.h"

namespace tarn {

void RunSimulation(const std::string&, const std::string&, const std::string&, double, double,
                   double, double, double, char, const std::string&) {}

void RunFinalSimulation(const std::string&, const std::string&, const std::string&, double, double,
                        double, double, double, char, const std::string&) {}

}  // namespace tarn
