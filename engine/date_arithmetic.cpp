#include "engine/date_arithmetic.h"

#include <cmath>

namespace tarn {

namespace {

// Month lengths [1..12] for the year last given to SetMonthLengths.
uint16_t MonthLengths[13];

}  // namespace

void SetMonthLengths(uint16_t year) {
    static const uint16_t kLengths[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 0; m <= 12; ++m) MonthLengths[m] = kLengths[m];
    auto divides = [year](double d) {
        double q = year / d;
        return q - std::trunc(q) == 0.0;
    };
    if (divides(4)) MonthLengths[2] = 29;
    if (divides(100)) MonthLengths[2] = 28;
    if (divides(400)) MonthLengths[2] = 29;
}

uint16_t MonthLength(int month) {
    return MonthLengths[month];
}

int32_t WrapWithCarry(int32_t add, int32_t& counter, uint16_t low, uint16_t modulus) {
    counter += add;
    int32_t carry = 0;
    if (modulus <= low) return carry;  // no range to bring the counter into
    // Whole wraps at once; the same result as stepping one modulus at a time.
    if (counter < low) {
        int32_t wraps = (low - counter + modulus - 1) / modulus;
        counter += wraps * modulus;
        carry -= wraps;
    }
    if (counter >= modulus) {
        int32_t wraps = (counter - modulus) / modulus + 1;
        counter -= wraps * modulus;
        carry += wraps;
    }
    return carry;
}

DateTimeParts AddTimeOffset(DateTimeParts t, const TimeOffset& offset) {
    int32_t &year = t.Year, &month = t.Month, &day = t.Day;
    t.Minute += WrapWithCarry(offset.Seconds, t.Second, 0, 60);
    t.Hour += WrapWithCarry(offset.Minutes, t.Minute, 0, 60);
    day += WrapWithCarry(offset.Hours, t.Hour, 0, 24) + offset.Days;
    // A month outside 1..12 cannot index the table; bring it into range first.
    while (month > 12) month -= 12, ++year;
    while (month < 1) month += 12, --year;
    SetMonthLengths(static_cast<uint16_t>(year));
    while (day > MonthLength(month)) {
        day -= MonthLength(month);
        ++month;
        if (month > 12) {
            month -= 12;
            ++year;
            SetMonthLengths(static_cast<uint16_t>(year));
        }
    }
    while (day < 1) {
        --month;
        if (month < 1) {
            month = 12;
            --year;
            SetMonthLengths(static_cast<uint16_t>(year));
        }
        day += MonthLength(month);
    }
    return t;
}

}  // namespace tarn
