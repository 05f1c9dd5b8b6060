#include "engine/median.h"

#include <cmath>

#include "engine/engine_state.h"
#include "engine/program_state.h"
#include "platform/console.h"
#include "platform/run_error.h"

namespace tarn {

namespace {

// Work copy of the slice in elements 1..n (element 0 unused).
double g_work[kSpectrumSize];

long QuickSortPartition(long lo, long hi) {
    double v = g_work[hi];
    long i = lo - 1;
    long j = hi;
    double t = 0.0;
    do {
        do ++i;
        while (g_work[i] < v);
        do {
            if (j > 1) --j;
        } while (!(g_work[j] <= v || j == 1));
        t = g_work[i];
        g_work[i] = g_work[j];
        g_work[j] = t;
    } while (j > i);
    g_work[j] = g_work[i];
    g_work[i] = g_work[hi];
    g_work[hi] = t;
    return i;
}

// Sorts g_work[lo..hi]; recurses into the smaller side and loops on the larger,
// which keeps the depth logarithmic and the result the same.
void QuickSortRange(long lo, long hi) {
    while (hi >= lo) {
        long c = QuickSortPartition(lo, hi);
        if (c - lo < hi - c) {
            QuickSortRange(lo, c - 1);
            lo = c + 1;
        } else {
            QuickSortRange(c + 1, hi);
            hi = c - 1;
        }
    }
}

void SortSliceCopy(const double* array, long first, long last) {
    long n = last - first + 1;
    if (n < 3) {
        ConsoleLine("Procedure \"get_mediaan\" of unit sorteer recieved less than 3 elements");
        ConsoleLine("Increase stop_index compared to start_index");
        // The halt names the scan, so that the operator of a batch finds it.
        ConsoleLine("Measurement: " + ScanFilePath());
        throw EngineExit{kExitHalt};
    }
    if (n > kMaxMeasuredPoints) n = kMaxMeasuredPoints;
    for (long k = 1; k <= n; ++k) g_work[k] = array[first + k - 1];
    QuickSortRange(1, n);
}

}  // namespace

double get_mediaan(const double* array, long first, long last) {
    SortSliceCopy(array, first, last);
    return g_work[static_cast<long>(std::trunc((last - first) / 2.0)) + 1];
}

}  // namespace tarn
