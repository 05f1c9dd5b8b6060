#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <vector>

#include "engine/median.h"
#include "platform/console.h"
#include "platform/run_error.h"

namespace tarn {
namespace {

double Median(std::vector<double> values) {
    std::vector<double> a(values.size() + 1, -1.0);  // element 0 unused, as the spectra arrays
    std::copy(values.begin(), values.end(), a.begin() + 1);
    return get_mediaan(a.data(), 1, static_cast<long>(values.size()));
}

TEST(Median, OddAndEvenCounts) {
    EXPECT_EQ(Median({5, 1, 3}), 3);
    EXPECT_EQ(Median({4, 1, 3, 2}), 2);  // the lower middle, not 2.5
    EXPECT_EQ(Median({7, 7, 7, 7, 7}), 7);
    EXPECT_EQ(Median({9, -2, 4, 4, 0, 11, 3}), 4);
}

TEST(Median, SliceInsideALargerArrayAndCallerUnchanged) {
    std::vector<double> a = {100, 9, 8, 7, 6, 5, 100};
    std::vector<double> copy = a;
    EXPECT_EQ(get_mediaan(a.data(), 1, 5), 7);
    EXPECT_EQ(a, copy);
}

TEST(Median, SortedInputsAndPermutationsAgree) {
    // Sorted slices are the worst case of the last-element pivot; they must not
    // recurse as deep as they are long.
    std::vector<double> up(6001);
    for (size_t i = 0; i < up.size(); ++i) up[i] = static_cast<double>(i);
    std::vector<double> down(up.rbegin(), up.rend());
    std::vector<double> shuffled = up;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    double expected = 3000;  // middle of 0..6000
    EXPECT_EQ(get_mediaan(up.data(), 0, 6000), expected);
    EXPECT_EQ(get_mediaan(down.data(), 0, 6000), expected);
    EXPECT_EQ(get_mediaan(shuffled.data(), 0, 6000), expected);
}

TEST(Median, FewerThanThreeElementsHalts) {
    std::ostringstream console;
    SetConsole(&console);
    double a[3] = {1, 2, 3};
    try {
        get_mediaan(a, 1, 2);
        FAIL() << "no halt";
    } catch (const EngineExit& e) {
        EXPECT_EQ(e.Code, kExitHalt);
    }
    EXPECT_EQ(console.str(),
              "Procedure \"get_mediaan\" of unit sorteer recieved less than 3 elements\n"
              "Increase stop_index compared to start_index\n"
              "Measurement: \n");
    EXPECT_THROW(get_mediaan(a, 2, 1), EngineExit);
    SetConsole(nullptr);
}

}  // namespace
}  // namespace tarn
