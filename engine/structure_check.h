// Spectral structure and transmission checks of the scan against the model.
#pragma once

namespace tarn {

// Clears the check's state as at program start (the main flow, at the start
// of every run).
void ResetStructureCheck();

// Per structure criterion: start index, counts and deviation sums; the ratio
// statistics of the two QC intervals; the structure-check and model-ratio files.
void CheckStructure();

// Measured wavelength (nm) at the start index that the structure check found
// for the start criterion; the criterion and the index are kept within their
// tables (criteria 1..k, points 1..N).
double StructureStartWavelength();

}  // namespace tarn
