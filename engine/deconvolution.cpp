#include "engine/deconvolution.h"

namespace tarn {

void RunDeconvolution(const std::string&, const std::string&, const std::string&,
                      const std::string&, const std::string&, unsigned) {}

}  // namespace tarn
