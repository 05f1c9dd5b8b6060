#include "engine/solar_position.h"

#include <cmath>

#include "engine/formats/constants.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

// The routine's own short constants, of one precision (see kSolarPositionPi).
constexpr double kDegPerRad = 57.2957795;
constexpr double kTwoPiRa = 6.28318531;
constexpr double kTwoPiAz = 6.2831853;
constexpr double kThreeHalfPi = 4.712389;
constexpr double kHalfPi = 1.570796;

double Int(double x) {
    return std::trunc(x);
}

// arcsin as arctan(s / sqrt(1 - s^2)); at |s| >= 1 the angle is taken directly.
double ArcSin(double s) {
    double r = 1.0 - s * s;
    if (r <= 0.0) return s >= 0 ? kHalfPi : -kHalfPi;
    return std::atan(s / std::sqrt(r));
}

void Fail(int code, const std::string& label, const std::string& value, size_t maxLength,
          int& errorCode, std::string& message) {
    errorCode = code;
    message = Cut(label + Cut(value, 8), maxLength);
}

double JulianDay(double year, double month, double day) {
    if (month < 3) {
        year -= 1;
        month += 12;
    }
    double a = Int(year / 100);
    double b = 2 - a + Int(a / 4);
    return 365 * year + Int(year / 4) + Int(30.6001 * (month + 1)) + day + 1720994.5 + b;
}

}  // namespace

SolarPosition CheckDateAndSolarPosition(const ClockTime& time, double longitude, double latitude) {
    const uint16_t year = time.Year, month = time.Month, day = time.Day;
    const uint16_t hour = time.Hour, minute = time.Minute, second = time.Second;
    SolarPosition result{0, "  ", 0.0, 0.0};
    int& errorCode = result.ErrorCode;
    std::string& message = result.Message;
    if (year < 1900 || year > 2100)
        Fail(1, "Date error: Year ", IntW(year, 4), 25, errorCode, message);
    if (month < 1 || month > 12)
        Fail(2, "Date error: Month ", IntW(month, 2), 26, errorCode, message);
    if (day < 1 || day > 31) Fail(3, "Date error: Day ", IntW(day, 2), 24, errorCode, message);
    if (hour > 24) Fail(4, "Time error: Hour ", IntW(hour, 2), 25, errorCode, message);
    if (minute > 60) Fail(5, "Time error: Minute ", IntW(minute, 2), 27, errorCode, message);
    if (second > 60) Fail(6, "Time error: Second ", IntW(second, 2), 27, errorCode, message);
    if (longitude < -180 || longitude > 180)
        Fail(7, "Geographical Longitude: ", Fixed(longitude, 6, 3), 32, errorCode, message);
    if (latitude < -90 || latitude > 90)
        Fail(8, "Geographical Latitude: ", Fixed(latitude, 6, 3), 31, errorCode, message);
    if (errorCode != 0) {
        message += "  out of range!  ";
        return result;
    }

    double ut = hour + minute / 60.0 + second / 3600.0;
    double d = day + ut / 24.0;
    double phi = latitude / kDegPerRad;
    double jd = JulianDay(year, month, d);
    double t = (jd - 2415020) / 36525;
    double jd0 = JulianDay(year, month, day);
    double t0 = (jd0 - 2415020) / 36525;

    double s = 100.0021359 * t0 + 0.276919398 + 0.000001075 * t0 * t0;
    double theta0 = (s - Int(s)) * 24;
    double lst = 1.002737908 * ut + theta0 + longitude / 15;
    if (lst > 24) lst -= 24;

    double l = 279.69668 + 36000.76892 * t + 0.0003025 * t * t;
    l = l - 360 * Int(Int(l) / 360);
    double m = 358.47583 + 35999.04975 * t - 0.00015 * t * t - 0.0000033 * t * t * t;
    m = m - 360 * Int(Int(m) / 360);
    m = m / kDegPerRad;
    double ec = (1.91946 - 0.004789 * t - 0.000014 * t * t) * std::sin(m) +
                (0.020094 - 0.0001 * t) * std::sin(2 * m) + 0.000293 * std::sin(3 * m);
    double lambda = (l + ec) / kDegPerRad;
    double omega = 259.18 - 1934.142 * t;
    double eps = 23.452294 - 0.0130125 * t - 0.00000164 * t * t + 0.000000503 * t * t * t +
                 0.00256 * std::cos(omega / kDegPerRad);
    eps = eps / kDegPerRad;

    double y = std::cos(eps) * std::sin(lambda);
    double x = std::cos(lambda);
    double sinDelta = std::sin(eps) * std::sin(lambda);
    double delta = ArcSin(sinDelta);

    double alpha;
    if (x == 0.0) {
        alpha = y > 0 ? kHalfPi : kThreeHalfPi;  // arctan(y/x) has no value on the axis
    } else {
        alpha = std::atan(y / x);
        if (y > 0 && x > 0) {
        } else if (y > 0) {
            alpha += kSolarPositionPi;
        } else if (x > 0) {
            alpha += kTwoPiRa;
        } else {
            alpha += kSolarPositionPi;
        }
    }

    double h = (lst - alpha * kDegPerRad / 15) * 15 / kDegPerRad;
    double sinE = sinDelta * std::sin(phi) + std::cos(delta) * std::cos(h) * std::cos(phi);
    double e = ArcSin(sinE);
    double cosE = std::cos(e);
    double az;
    if (std::fabs(cosE) < 1e-12) {
        az = 0.0;  // sun at the zenith or nadir: no azimuth
    } else {
        double c =
            (sinDelta * std::cos(phi) - std::cos(delta) * std::cos(h) * std::sin(phi)) / cosE;
        double sn = -std::cos(delta) * std::sin(h) / cosE;
        if (sn > 0) {
            az = kThreeHalfPi - ArcSin(c);
        } else {
            az = kHalfPi - ArcSin(-c);
        }
        az += kSolarPositionPi;
        if (az > kTwoPiAz) az -= kTwoPiAz;
        az *= kDegPerRad;
    }
    result.Azimuth = az;
    result.ZenithAngle = 90 - e * kDegPerRad;
    return result;
}

}  // namespace tarn
