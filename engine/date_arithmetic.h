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

// counter += add, then brought into low..modulus-1; carry counts the wraps.
void WrapWithCarry(int32_t add, int32_t& counter, uint16_t low, uint16_t modulus, int32_t& carry);

// Adds days, hours, minutes and seconds (each may be negative) in place.
void AddTimeOffset(int32_t& year, int32_t& month, int32_t& day, int32_t& hour, int32_t& minute,
                   int32_t& second, int32_t days, int32_t hours, int32_t minutes, int32_t seconds);

}  // namespace tarn
