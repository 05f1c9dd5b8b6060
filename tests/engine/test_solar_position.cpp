#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "engine/solar_position.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

struct Check {
    int code;
    std::string message;
    double azimuth = -1, zenith = -1;
};

Check CheckAt(int y, int mo, int d, int h, int mi, int s, double lon, double lat) {
    Check c;
    auto u16 = [](int v) { return static_cast<uint16_t>(v); };
    SolarPosition p =
        CheckDateAndSolarPosition({u16(y), u16(mo), u16(d), u16(h), u16(mi), u16(s)}, lon, lat);
    c.code = p.ErrorCode, c.message = p.Message;
    if (p.ErrorCode == 0) c.azimuth = p.Azimuth, c.zenith = p.ZenithAngle;
    return c;
}

TEST(SolarPosition, RangeChecksAndMessages) {
    Check ok = CheckAt(2004, 6, 21, 24, 60, 60, 180, 90);
    EXPECT_EQ(ok.code, 0);
    EXPECT_EQ(ok.message, "  ");
    EXPECT_EQ(CheckAt(2004, 6, 21, 12, 0, 0, -180, -90).code, 0);

    Check hour = CheckAt(2004, 6, 21, 25, 0, 0, 0, 0);
    EXPECT_EQ(hour.code, 4);
    EXPECT_EQ(hour.message, "Time error: Hour 25  out of range!  ");

    Check lon = CheckAt(2004, 6, 21, 12, 0, 0, 180.5, 0);
    EXPECT_EQ(lon.code, 7);
    EXPECT_EQ(lon.message, "Geographical Longitude: 180.500  out of range!  ");

    Check last = CheckAt(2004, 13, 21, 12, 0, 0, 0, 95);
    EXPECT_EQ(last.code, 8);
    EXPECT_EQ(last.message, "Geographical Latitude: 95.000  out of range!  ");

    Check year = CheckAt(1899, 6, 21, 12, 0, 0, 0, 0);
    EXPECT_EQ(year.code, 1);
    EXPECT_EQ(year.message, "Date error: Year 1899  out of range!  ");
    EXPECT_EQ(year.zenith, -1);  // untouched
    EXPECT_EQ(year.azimuth, -1);

    EXPECT_EQ(CheckAt(2004, 6, 0, 12, 0, 0, 0, 0).message, "Date error: Day  0  out of range!  ");
    EXPECT_EQ(CheckAt(2004, 0, 1, 12, 0, 0, 0, 0).message, "Date error: Month  0  out of range!  ");
    EXPECT_EQ(CheckAt(2004, 1, 1, 12, 61, 0, 0, 0).message,
              "Time error: Minute 61  out of range!  ");
    EXPECT_EQ(CheckAt(2004, 1, 1, 12, 0, 61, 0, 0).message,
              "Time error: Second 61  out of range!  ");
}

TEST(SolarPosition, NoonAtTheSolsticeOnTheTropic) {
    // 21 June 2004 near 12:00 UT at 0 E on the Tropic of Cancer: the sun stands
    // close to the zenith (equation of time -1.6 min; declination 23.44 deg).
    Check c = CheckAt(2004, 6, 21, 12, 2, 0, 0.0, 23.44);
    ASSERT_EQ(c.code, 0);
    EXPECT_NEAR(c.zenith, 0.0, 0.3);
    EXPECT_TRUE(std::isfinite(c.azimuth));
}

// Bennett's refraction (degrees) for an apparent altitude (degrees).
double Refraction(double apparentAltitude) {
    const double d = 3.14159265358979323846 / 180;
    return 1.0 / 60.0 / std::tan((apparentAltitude + 7.31 / (apparentAltitude + 4.4)) * d);
}

TEST(SolarPosition, AgreesWithEphemerisPositions) {
    std::string dir = test::RefDataDir();
    if (dir.empty()) GTEST_SKIP() << "reference data not available";
    std::ifstream in(dir + "/solar_position/horizons_sun_apparent_positions.txt");
    ASSERT_TRUE(in);
    std::string line;
    int compared = 0;
    double worstZenith = 0, worstAzimuth = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream row(line);
        std::string site, when;
        double lat, lon, azimuth, altitude;
        row >> site >> lat >> lon >> when >> azimuth >> altitude;
        if (altitude <= 15) continue;
        int y, mo, d, h, mi, s;
        ASSERT_EQ(std::sscanf(when.c_str(), "%d-%d-%dT%d:%d:%dZ", &y, &mo, &d, &h, &mi, &s), 6);
        Check c = CheckAt(y, mo, d, h, mi, s, lon, lat);
        ASSERT_EQ(c.code, 0) << line;
        double geometricZenith = 90 - (altitude - Refraction(altitude));
        worstZenith = std::max(worstZenith, std::fabs(c.zenith - geometricZenith));
        double da = std::fabs(c.azimuth - azimuth);
        da = std::min(da, 360 - da);
        worstAzimuth = std::max(worstAzimuth, da * std::cos(altitude * 3.14159265 / 180));
        ++compared;
    }
    EXPECT_GT(compared, 200);
    // The low-precision series with its 1900 epoch reaches 0.012 deg in the
    // zenith angle over 1950-2050 (sun above 15 deg, refraction removed).
    EXPECT_LT(worstZenith, 0.02) << "worst zenith difference " << worstZenith;
    EXPECT_LT(worstAzimuth, 0.02) << "worst azimuth difference " << worstAzimuth;
    std::printf("compared %d positions: worst zenith %.4f deg, worst azimuth %.4f deg\n", compared,
                worstZenith, worstAzimuth);
}

}  // namespace
}  // namespace tarn
