// Median of a slice of a real array.
#pragma once

namespace tarn {

// Median of array[first..last] (the lower middle for an even count); the array
// is not changed.  Fewer than 3 elements print two lines and halt the engine.
double get_mediaan(const double* array, long first, long last);

}  // namespace tarn
