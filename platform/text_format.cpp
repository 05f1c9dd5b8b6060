#include "platform/text_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace tarn {

std::string Fixed(double x, int width, int decimals) {
    char buffer[400];
    int n = std::snprintf(buffer, sizeof buffer, "%*.*f", width, decimals, x);
    if (n < 0 || n >= static_cast<int>(sizeof buffer)) return std::string(width, '*');
    return std::string(buffer, n);
}

std::string Sci(double x) {
    if (std::isnan(x)) return PadRight(" Nan", 23);
    if (std::isinf(x)) return PadRight(x > 0 ? " +Inf" : " -Inf", 23);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14E", x);
    std::string text(buffer);
    size_t e = text.find('E');
    std::string mantissa = text.substr(0, e);
    char sign = text[e + 1];
    long exponent = std::strtol(text.c_str() + e + 2, nullptr, 10);
    char exp[16];
    std::snprintf(exp, sizeof exp, "E%c%04ld", sign, exponent);
    if (mantissa[0] != '-') mantissa.insert(mantissa.begin(), ' ');
    return mantissa + exp;
}

std::string IntW(long long n, int width) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%*lld", width, n);
    return buffer;
}

std::string IntText(long long n) {
    return std::to_string(n);
}

std::string PadRight(const std::string& text, size_t width) {
    if (text.size() >= width) return text;
    return text + std::string(width - text.size(), ' ');
}

std::string Cut(const std::string& text, size_t maxLength) {
    return text.size() > maxLength ? text.substr(0, maxLength) : text;
}

long long RoundEven(double x) {
    if (!std::isfinite(x)) return 0;
    double r = std::nearbyint(x);  // default rounding mode: to nearest, ties to even
    if (r >= 9.2e18) return std::numeric_limits<long long>::max();
    if (r <= -9.2e18) return std::numeric_limits<long long>::min();
    return static_cast<long long>(r);
}

long long Trunc(double x) {
    if (!std::isfinite(x)) return 0;
    double t = std::trunc(x);
    if (t >= 9.2e18) return std::numeric_limits<long long>::max();
    if (t <= -9.2e18) return std::numeric_limits<long long>::min();
    return static_cast<long long>(t);
}

double IntPart(double x) {
    return std::trunc(x);
}

double FracPart(double x) {
    return x - std::trunc(x);
}

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Checks the shape [sign] digits [. digits] [(e|E) [sign] digits].
bool LooksLikeReal(const std::string& t) {
    size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t digits = 0;
    while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        size_t expDigits = 0;
        while (i < t.size() && IsDigit(t[i])) ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == t.size();
}

std::string Trimmed(const std::string& text) {
    size_t a = 0;
    while (a < text.size() && (text[a] == ' ' || text[a] == '\t')) ++a;
    size_t b = text.size();
    while (b > a && (text[b - 1] == ' ' || text[b - 1] == '\t')) --b;
    return text.substr(a, b - a);
}

}  // namespace

bool ParseReal(const std::string& token, double& value) {
    if (!LooksLikeReal(token)) return false;
    const char* first = token.data();
    const char* last = token.data() + token.size();
    bool negative = false;
    if (*first == '+' || *first == '-') {
        negative = *first == '-';
        ++first;
    }
    // from_chars does not take "5." or ".5" on every library; complete them.
    std::string body(first, last);
    if (body[0] == '.') body.insert(body.begin(), '0');
    size_t dot = body.find('.');
    if (dot != std::string::npos && (dot + 1 == body.size() || !IsDigit(body[dot + 1])))
        body.insert(dot + 1, "0");
    double v = 0.0;
    auto result = std::from_chars(body.data(), body.data() + body.size(), v);
    if (result.ptr != body.data() + body.size()) {
        if (result.ec != std::errc::result_out_of_range) return false;
        // Overflow gives infinity, underflow zero, as a conversion would.
        v = std::strtod(body.c_str(), nullptr);
    }
    value = negative ? -v : v;
    return true;
}

bool ParseInt(const std::string& token, long& value) {
    const char* first = token.data();
    const char* last = token.data() + token.size();
    bool negative = false;
    if (first < last && (*first == '+' || *first == '-')) {
        negative = *first == '-';
        ++first;
    }
    if (first == last) return false;
    long long v = 0;
    auto result = std::from_chars(first, last, v);
    if (result.ec != std::errc() || result.ptr != last) return false;
    if (negative) v = -v;
    if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min())
        return false;
    value = static_cast<long>(v);
    return true;
}

bool ParseRealTrimmed(const std::string& text, double& value) {
    return ParseReal(Trimmed(text), value);
}

bool ParseIntTrimmed(const std::string& text, long& value) {
    return ParseInt(Trimmed(text), value);
}

}  // namespace tarn
