#include <gtest/gtest.h>

#include "engine/date_arithmetic.h"

namespace tarn {
namespace {

struct DateTime {
    int32_t y, mo, d, h, mi, s;
};

DateTime Add(DateTime t, int32_t days, int32_t hours, int32_t minutes, int32_t seconds) {
    DateTimeParts r =
        AddTimeOffset({t.y, t.mo, t.d, t.h, t.mi, t.s}, {days, hours, minutes, seconds});
    return {r.Year, r.Month, r.Day, r.Hour, r.Minute, r.Second};
}

void ExpectDate(const DateTime& t, int32_t y, int32_t mo, int32_t d, int32_t h, int32_t mi,
                int32_t s) {
    EXPECT_EQ(t.y, y);
    EXPECT_EQ(t.mo, mo);
    EXPECT_EQ(t.d, d);
    EXPECT_EQ(t.h, h);
    EXPECT_EQ(t.mi, mi);
    EXPECT_EQ(t.s, s);
}

TEST(DateArithmetic, LeapYears) {
    SetMonthLengths(2000);
    EXPECT_EQ(MonthLength(2), 29);
    SetMonthLengths(2004);
    EXPECT_EQ(MonthLength(2), 29);
    SetMonthLengths(1900);
    EXPECT_EQ(MonthLength(2), 28);
    SetMonthLengths(2100);
    EXPECT_EQ(MonthLength(2), 28);
    SetMonthLengths(2003);
    EXPECT_EQ(MonthLength(2), 28);
    EXPECT_EQ(MonthLength(12), 31);
}

TEST(DateArithmetic, CarriesThroughTheCalendar) {
    ExpectDate(Add({2003, 12, 31, 23, 30, 0}, 0, 1, 0, 0), 2004, 1, 1, 0, 30, 0);
    ExpectDate(Add({2004, 3, 1, 0, 30, 0}, 0, -1, 0, 0), 2004, 2, 29, 23, 30, 0);
    ExpectDate(Add({2003, 3, 1, 0, 30, 0}, 0, -1, 0, 0), 2003, 2, 28, 23, 30, 0);
    ExpectDate(Add({2004, 1, 1, 0, 30, 0}, 0, -1, 0, 0), 2003, 12, 31, 23, 30, 0);
    ExpectDate(Add({2004, 4, 30, 23, 59, 0}, 0, 1, 0, 0), 2004, 5, 1, 0, 59, 0);
    ExpectDate(Add({2004, 2, 28, 12, 0, 0}, 2, 0, 0, 0), 2004, 3, 1, 12, 0, 0);
    ExpectDate(Add({2004, 6, 15, 12, 0, 0}, 0, 0, 0, 0), 2004, 6, 15, 12, 0, 0);
}

TEST(DateArithmetic, WrapWithCarry) {
    int32_t second = 0, carry = 0;
    carry = WrapWithCarry(-90, second, 0, 60);
    EXPECT_EQ(second, 30);
    EXPECT_EQ(carry, -2);
    int32_t minute = 50;
    carry = WrapWithCarry(135, minute, 0, 60);
    EXPECT_EQ(minute, 5);
    EXPECT_EQ(carry, 3);
    int32_t hour = 5;
    carry = WrapWithCarry(0, hour, 0, 24);
    EXPECT_EQ(hour, 5);
    EXPECT_EQ(carry, 0);
}

}  // namespace
}  // namespace tarn
