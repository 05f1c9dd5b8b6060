// Spectral structure and transmission checks of the scan against the model.
#pragma once

namespace tarn {

// Per structure criterion: start index, counts and deviation sums; the ratio
// statistics of the two QC intervals; the structure-check and model-ratio files.
void CheckStructure();

}  // namespace tarn
