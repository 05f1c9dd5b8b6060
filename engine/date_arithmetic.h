// Month lengths and addition of a day/hour/minute/second offset to a date and
// time with carries through the calendar (Gregorian leap-year rule).
#pragma once

#include <cstdint>

namespace tarn {

// Fills the month-length table, the module's state, for `year`.
void SetMonthLengths(uint16_t year);

// The length in days of `month` (1..12) in the table, for the year last given
// to SetMonthLengths.
uint16_t MonthLength(int month);

// counter += add, then brought into low..modulus-1; returns the number of
// wraps (negative downwards).
int32_t WrapWithCarry(int32_t add, int32_t& counter, uint16_t low, uint16_t modulus);

// A date and time of day.
struct DateTimeParts {
    int32_t Year, Month, Day, Hour, Minute, Second;
};

// An offset in days, hours, minutes and seconds; each part may be negative.
struct TimeOffset {
    int32_t Days, Hours, Minutes, Seconds;
};

// `t` plus `offset`, carried through the calendar.
DateTimeParts AddTimeOffset(DateTimeParts t, const TimeOffset& offset);

}  // namespace tarn
