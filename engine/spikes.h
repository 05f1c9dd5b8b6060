// Spike detection and correction against the model by running medians.
#pragma once

namespace tarn {

// Finds spikes, corrects them when spike correction is on, counts them by
// irradiance level and writes the day's spike files.
void DetectSpikes();

}  // namespace tarn
