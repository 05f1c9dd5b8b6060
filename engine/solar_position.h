// Check of a date, a time and a place, and the solar zenith angle and azimuth
// from Meeus's low-precision solar coordinates (geometric, no refraction).
#pragma once

#include <cstdint>
#include <string>

namespace tarn {

// Outcome of the date and place check: Code 0 and the message "  " when all
// is in range, else the code of the last failing check (1..8) and its message.
struct DateCheck {
    int Code = 0;
    std::string Message;
};

// Checks the arguments (codes 1..8, the last failing check wins).  When all
// are in range, sets the azimuth (degrees from north through east) and the
// zenith angle (degrees); otherwise leaves both untouched.  Longitude east
// positive, latitude north positive, degrees.
DateCheck CheckDateAndSolarPosition(uint16_t year, uint16_t month, uint16_t day, uint16_t hour,
                                    uint16_t minute, uint16_t second, double longitude,
                                    double latitude, double& azimuth, double& zenithAngle);

}  // namespace tarn
