// Quotients of irradiances, model values (W m-2 nm-1) and their ratios, as
// the checks form them.  A divisor below the smallest normal real in size (0
// included) carries no measurement, and a quotient beyond kMaxUsableRatio in
// size leaves the range of a real once squared and summed over a scan: such a
// quotient has no usable value, and the caller treats the point as it treats
// a divisor of 0.  A scan of a low sun honestly holds values far below any
// instrument's noise at its short end; they are analysed like any other.
#pragma once

#include <cmath>
#include <limits>
#include <optional>

#include "engine/formats/constants.h"

namespace tarn {

constexpr double kMaxUsableRatio = 1e150;
static_assert(kMaxUsableRatio * kMaxUsableRatio * (kMaxMeasuredPoints + 1) <
                  std::numeric_limits<double>::max() / 4,
              "a sum of squared usable ratios over a whole scan must stay finite");

// numerator / divisor, or nothing when the quotient has no usable value.
inline std::optional<double> UsableRatio(double numerator, double divisor) {
    if (!(std::fabs(divisor) >= std::numeric_limits<double>::min())) return std::nullopt;
    const double ratio = numerator / divisor;
    if (!(std::fabs(ratio) <= kMaxUsableRatio)) return std::nullopt;
    return ratio;
}

}  // namespace tarn
