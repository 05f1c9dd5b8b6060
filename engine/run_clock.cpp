#include "engine/run_clock.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace tarn {

namespace {

std::tm LocalNow(long double* dayFraction) {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t seconds = system_clock::to_time_t(now);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    if (dayFraction != nullptr) {
        auto micro = duration_cast<microseconds>(now.time_since_epoch()).count() % 1000000;
        if (micro < 0) micro += 1000000;
        long double secs = parts.tm_hour * 3600.0L + parts.tm_min * 60.0L + parts.tm_sec +
                           static_cast<long double>(micro) / 1e6L;
        *dayFraction = secs / 86400.0L;
    }
    return parts;
}

}  // namespace

void SplitDayFraction(long double t, uint16_t& hour, uint16_t& minute, uint16_t& second,
                      uint16_t& hundredth) {
    long double f = t - std::trunc(t);
    long double h = f * 24;
    hour = static_cast<uint16_t>(std::trunc(h));
    long double m = (h - hour) * 60;
    minute = static_cast<uint16_t>(std::trunc(m));
    long double s = (m - minute) * 60;
    second = static_cast<uint16_t>(std::trunc(s));
    hundredth = static_cast<uint16_t>(std::trunc((s - second) * 100));
}

void GetTimeParts(uint16_t& hour, uint16_t& minute, uint16_t& second, uint16_t& hundredth) {
    long double t = 0;
    LocalNow(&t);
    SplitDayFraction(t, hour, minute, second, hundredth);
}

void GetDateParts(uint16_t& year, uint16_t& month, uint16_t& day, uint16_t& dayOfWeek) {
    std::tm parts = LocalNow(nullptr);
    year = static_cast<uint16_t>(parts.tm_year + 1900);
    month = static_cast<uint16_t>(parts.tm_mon + 1);
    day = static_cast<uint16_t>(parts.tm_mday);
    dayOfWeek = static_cast<uint16_t>(parts.tm_wday + 1);
}

void StartRunTimer(RunTimer& timer) {
    GetTimeParts(timer.StartHour, timer.StartMinute, timer.StartSecond, timer.StartHundredth);
}

void StopRunTimer(RunTimer& timer) {
    GetTimeParts(timer.CurrentHour, timer.CurrentMinute, timer.CurrentSecond,
                 timer.CurrentHundredth);
    ElapsedIntoStart(timer);
}

void ElapsedIntoStart(RunTimer& timer) {
    int borrow = 0;
    int d = int(timer.CurrentHundredth) - int(timer.StartHundredth);
    if (d < 0) d += 100, borrow = 1;
    timer.StartHundredth = static_cast<uint16_t>(d);

    d = int(timer.CurrentSecond) - borrow - int(timer.StartSecond);
    borrow = 0;
    if (d < 0) d += 60, borrow = 1;
    timer.StartSecond = static_cast<uint16_t>(d);

    d = int(timer.CurrentMinute) - borrow - int(timer.StartMinute);
    borrow = 0;
    if (d < 0) d += 60, borrow = 1;
    timer.StartMinute = static_cast<uint16_t>(d);

    d = int(timer.CurrentHour) - borrow - int(timer.StartHour);
    if (d < 0) d += 24;  // the run passed midnight
    timer.StartHour = static_cast<uint16_t>(d);
}

std::string TwoDigitText(uint16_t v) {
    std::string text = std::to_string(v);
    return text.size() == 1 ? "0" + text : text;
}

std::string RunTimerText(const RunTimer& timer) {
    return TwoDigitText(timer.StartHour) + ":" + TwoDigitText(timer.StartMinute) + ":" +
           TwoDigitText(timer.StartSecond) + "." + TwoDigitText(timer.StartHundredth);
}

std::string ShortDateText() {
    std::tm parts = LocalNow(nullptr);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%d-%m-%Y", &parts);
    return buffer;
}

std::string LongTimeText() {
    std::tm parts = LocalNow(nullptr);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%H:%M:%S", &parts);
    return buffer;
}

}  // namespace tarn
