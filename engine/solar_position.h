// Check of a date, a time and a place, and the solar zenith angle and azimuth
// from Meeus's low-precision solar coordinates (geometric, no refraction).
#pragma once

#include <cstdint>
#include <string>

namespace tarn {

// A time of the scan's clock as the check takes it.
struct ClockTime {
    uint16_t Year, Month, Day, Hour, Minute, Second;
};

// The outcome of the check: ErrorCode 0, Message "  " and the azimuth
// (degrees from north through east) and zenith angle (degrees); or the code
// 1..8 of the last failing check with its message, and no angles (0).
struct SolarPosition {
    int ErrorCode;
    std::string Message;
    double Azimuth, ZenithAngle;
};

// Checks the time and the place (longitude east positive, latitude north
// positive, degrees) and, when all are in range, computes the sun's position.
SolarPosition CheckDateAndSolarPosition(const ClockTime& time, double longitude, double latitude);

}  // namespace tarn
