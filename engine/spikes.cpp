#include "engine/spikes.h"

namespace tarn {

void DetectSpikes() {}

}  // namespace tarn
