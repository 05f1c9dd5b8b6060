#include <gtest/gtest.h>

#include "engine/run_clock.h"

namespace tarn {
namespace {

RunTimer Timer(int h0, int m0, int s0, int c0, int h1, int m1, int s1, int c1) {
    RunTimer t{};
    t.StartHour = h0, t.StartMinute = m0, t.StartSecond = s0, t.StartHundredth = c0;
    t.CurrentHour = h1, t.CurrentMinute = m1, t.CurrentSecond = s1, t.CurrentHundredth = c1;
    return t;
}

std::string Elapsed(RunTimer t) {
    ElapsedIntoStart(t);
    return RunTimerText(t);
}

TEST(RunClock, ElapsedTimeBorrowsAcrossColumnsAndMidnight) {
    EXPECT_EQ(Elapsed(Timer(10, 0, 5, 50, 10, 1, 0, 20)), "00:00:54.70");
    EXPECT_EQ(Elapsed(Timer(10, 59, 59, 90, 11, 0, 0, 10)), "00:00:00.20");
    EXPECT_EQ(Elapsed(Timer(23, 59, 59, 90, 0, 0, 0, 10)), "00:00:00.20");
    EXPECT_EQ(Elapsed(Timer(12, 30, 15, 42, 12, 30, 15, 42)), "00:00:00.00");
    EXPECT_EQ(Elapsed(Timer(8, 0, 0, 0, 8, 3, 7, 45)), "00:03:07.45");
    EXPECT_EQ(Elapsed(Timer(22, 10, 0, 0, 1, 5, 30, 0)), "02:55:30.00");
}

TEST(RunClock, TwoDigitText) {
    EXPECT_EQ(TwoDigitText(7), "07");
    EXPECT_EQ(TwoDigitText(0), "00");
    EXPECT_EQ(TwoDigitText(45), "45");
    EXPECT_EQ(TwoDigitText(123), "123");
}

TEST(RunClock, DayFractionSplitsIntoParts) {
    uint16_t h, m, s, c;
    // 13:45:30.25 as a fraction of a day.
    SplitDayFraction((13 * 3600 + 45 * 60 + 30.25L) / 86400.0L, h, m, s, c);
    EXPECT_EQ(h, 13);
    EXPECT_EQ(m, 45);
    EXPECT_EQ(s, 30);
    EXPECT_EQ(c, 25);
    // A reading just below a whole second stays in the lower second.
    SplitDayFraction((59.9999L) / 86400.0L, h, m, s, c);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(m, 0);
    EXPECT_EQ(s, 59);
    EXPECT_EQ(c, 99);
}

TEST(RunClock, CurrentPartsAreInRange) {
    uint16_t y, mo, d, w, h, m, s, c;
    GetDateParts(y, mo, d, w);
    GetTimeParts(h, m, s, c);
    EXPECT_GE(y, 2020);
    EXPECT_TRUE(mo >= 1 && mo <= 12);
    EXPECT_TRUE(d >= 1 && d <= 31);
    EXPECT_TRUE(w >= 1 && w <= 7);
    EXPECT_LT(h, 24);
    EXPECT_LT(m, 60);
    EXPECT_LT(s, 60);
    EXPECT_LT(c, 100);
}

}  // namespace
}  // namespace tarn
