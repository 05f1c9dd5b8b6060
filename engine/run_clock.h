// Run clock: the current date and time of day split into integer parts, and
// the elapsed time of a run.
#pragma once

#include <cstdint>
#include <string>

namespace tarn {

// Start fields, then current fields; after StopRunTimer the start fields hold
// the elapsed time.
struct RunTimer {
    uint16_t StartHour, StartMinute, StartSecond, StartHundredth;
    uint16_t CurrentHour, CurrentMinute, CurrentSecond, CurrentHundredth;
};

// Splits a time of day given as a fraction of a day (0 <= t < 1).
void SplitDayFraction(long double t, uint16_t& hour, uint16_t& minute, uint16_t& second,
                      uint16_t& hundredth);
// Current local time of day.
void GetTimeParts(uint16_t& hour, uint16_t& minute, uint16_t& second, uint16_t& hundredth);
// Current local date; day of the week 1 = Sunday .. 7 = Saturday.
void GetDateParts(uint16_t& year, uint16_t& month, uint16_t& day, uint16_t& dayOfWeek);

void StartRunTimer(RunTimer& timer);
void StopRunTimer(RunTimer& timer);
// Subtracts the start fields from the current fields with borrows (across midnight too).
void ElapsedIntoStart(RunTimer& timer);

// Decimal text of v with a "0" in front when it is one character long.
std::string TwoDigitText(uint16_t v);
// hh:mm:ss.cc of the timer's first four fields.
std::string RunTimerText(const RunTimer& timer);

// Current date and time as the report lines of the shift unit show them.
std::string ShortDateText();
std::string LongTimeText();

}  // namespace tarn
