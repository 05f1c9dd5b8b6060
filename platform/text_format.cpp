#include "platform/text_format.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace tarn {

namespace {

__extension__ typedef unsigned __int128 Wide;

// Fixed notation through printf: the forms that the fast paths leave out
// (non-finite values, negative or very large widths and decimals).
std::string FixedByPrintf(double x, int width, int decimals) {
    char buffer[400];
    int n = std::snprintf(buffer, sizeof buffer, "%*.*f", width, decimals, x);
    if (n < 0 || n >= static_cast<int>(sizeof buffer)) return std::string(width, '*');
    return std::string(buffer, n);
}

// `text` right-aligned in `width` characters.
std::string PadLeft(const char* text, size_t length, int width) {
    if (width <= 0 || static_cast<size_t>(width) <= length) return std::string(text, length);
    std::string out(static_cast<size_t>(width) - length, ' ');
    out.append(text, length);
    return out;
}

// |x| = Mantissa x 2^Exponent exactly, Mantissa < 2^53.
struct BinaryParts {
    uint64_t Mantissa;
    int Exponent;
};

BinaryParts PartsOf(double x) {
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    const int field = static_cast<int>((bits >> 52) & 0x7ff);
    const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    if (field == 0) return {fraction, -1074};  // zero and subnormals
    return {fraction | (uint64_t{1} << 52), field - 1075};
}

struct PowerTable {
    Wide Ten[24];
    Wide Five[33];
    constexpr PowerTable() : Ten(), Five() {
        Wide p = 1;
        for (Wide& v : Ten) {
            v = p;
            p *= 10;
        }
        p = 1;
        for (Wide& v : Five) {
            v = p;
            p *= 5;
        }
    }
};
constexpr PowerTable kPowers;

// 10^k for 0 <= k <= 23.
Wide PowerOfTen(int k) {
    return kPowers.Ten[k];
}

// Round(|x| x 10^k) for 0 <= k <= 32, halves to even, exactly: |x| 10^k =
// m 5^k 2^(e + k); the product m 5^k (< 2^128) is formed in 128 bits and the
// binary point shifted out with the remainder compared against one half.
// False when the result does not fit.
bool ScaledAndRounded(const BinaryParts& b, int k, Wide& q) {
    const Wide product = static_cast<Wide>(b.Mantissa) * kPowers.Five[k];  // < 2^128
    const int exponent = b.Exponent + k;
    if (exponent >= 0) {
        if (exponent > 120 || (product >> (124 - exponent)) != 0) return false;
        q = product << exponent;
        return true;
    }
    const int shift = -exponent;
    if (shift >= 128) {  // below one half: rounds to 0
        q = 0;
        return true;
    }
    q = product >> shift;
    const Wide remainder = product - (q << shift);
    const Wide half = static_cast<Wide>(1) << (shift - 1);
    if (remainder > half || (remainder == half && (q & 1) != 0)) ++q;
    return true;
}

// Writes the decimal digits of v, most significant first, ending just before
// `end`; returns where they start.
char* DigitsBefore(uint64_t v, char* end) {
    static const char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    char* p = end;
    while (v >= 100) {
        const unsigned pair = static_cast<unsigned>(v % 100) * 2;
        v /= 100;
        *--p = kPairs[pair + 1];
        *--p = kPairs[pair];
    }
    if (v >= 10) {
        const unsigned pair = static_cast<unsigned>(v) * 2;
        *--p = kPairs[pair + 1];
        *--p = kPairs[pair];
    } else {
        *--p = static_cast<char>('0' + v);
    }
    return p;
}

// Decimal digits of q, most significant first; returns their count.
int DigitsOf(Wide q, char* out) {
    char buffer[48];
    char* end = buffer + sizeof buffer;
    char* p = end;
    while (q > static_cast<Wide>(UINT64_MAX)) {  // 19 digits at a time, zeros kept
        const uint64_t chunk = static_cast<uint64_t>(q % 10000000000000000000ULL);
        q /= 10000000000000000000ULL;
        char* start = DigitsBefore(chunk, p);
        while (start > p - 19) *--start = '0';
        p = start;
    }
    p = DigitsBefore(static_cast<uint64_t>(q), p);
    const int n = static_cast<int>(end - p);
    std::memcpy(out, p, static_cast<size_t>(n));
    return n;
}

// Fixed notation of a finite x with 0..17 decimals, exactly as printf's
// "%.*f" (round to nearest, halves to even on the exact binary value); false
// when x is too large for the 128-bit product.
bool FixedExact(double x, int decimals, char* out, size_t& length) {
    Wide q;
    if (!ScaledAndRounded(PartsOf(x), decimals, q)) return false;
    // The digits, with zeros in front up to one digit before the point.
    char digits[96];
    int n = 0;
    char raw[48];
    const int count = DigitsOf(q, raw);
    for (int pad = count; pad <= decimals; ++pad) digits[n++] = '0';
    for (int i = 0; i < count; ++i) digits[n++] = raw[i];
    size_t k = 0;
    if (std::signbit(x)) out[k++] = '-';  // printf keeps the sign of -0 and of -0.001 at "-0.00"
    const int before = n - decimals;
    for (int i = 0; i < before; ++i) out[k++] = digits[i];
    if (decimals > 0) {
        out[k++] = '.';
        for (int i = before; i < n; ++i) out[k++] = digits[i];
    }
    length = k;
    return true;
}

// FixedExact for the common case, written backwards so that it ends just
// before `end`, right-aligned in `width` characters: the rounded value
// |x| 10^decimals below 2^64.  Returns where the text starts, or nullptr.
char* FixedExactBefore(double x, int width, int decimals, char* end) {
    Wide q;
    if (!ScaledAndRounded(PartsOf(x), decimals, q) || q > static_cast<Wide>(UINT64_MAX))
        return nullptr;
    uint64_t v = static_cast<uint64_t>(q);
    char* p = end;
    for (int i = 0; i < decimals; ++i) {
        *--p = static_cast<char>('0' + v % 10);
        v /= 10;
    }
    if (decimals > 0) *--p = '.';
    do {
        *--p = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (std::signbit(x)) *--p = '-';  // printf keeps the sign of -0 and of -0.001 at "-0.00"
    for (char* start = end - width; p > start;) *--p = ' ';
    return p;
}

// The default real notation of a finite x whose size lies within 1e-17 ..
// 1e15, exactly as "%.14E": the decimal exponent E is the one for which
// Round(|x| 10^(14-E)) has 15 digits (a carry to 16 digits moves to E + 1,
// where the rounding gives 10^14, as printf's carry does).
bool SciExact(double x, char* out) {
    const BinaryParts b = PartsOf(x);
    const double size = std::fabs(x);
    if (!(size >= 1e-17 && size < 1e15)) return false;
    const Wide low = PowerOfTen(14), high = PowerOfTen(15);
    // log10(2) ~ 0.30103: a first guess within one of E, then one comparison
    // with a power of ten (a wrong guess near a power costs one more round).
    static const double kSizes[] = {1e-18, 1e-17, 1e-16, 1e-15, 1e-14, 1e-13, 1e-12, 1e-11, 1e-10,
                                    1e-9,  1e-8,  1e-7,  1e-6,  1e-5,  1e-4,  1e-3,  1e-2,  1e-1,
                                    1e0,   1e1,   1e2,   1e3,   1e4,   1e5,   1e6,   1e7,   1e8,
                                    1e9,   1e10,  1e11,  1e12,  1e13,  1e14,  1e15,  1e16};
    int e = static_cast<int>(std::floor((b.Exponent + 52) * 0.30102999566398120));
    if (e >= -19 && e + 1 <= 16 && size >= kSizes[e + 1 + 18]) ++e;
    Wide q = 0;
    for (int tries = 0; tries < 4; ++tries) {
        const int k = 14 - e;
        if (k < 0 || k > 32 || !ScaledAndRounded(b, k, q)) return false;
        if (q >= high) {
            ++e;
        } else if (q < low) {
            --e;
        } else {
            break;
        }
    }
    if (q < low || q >= high) return false;
    uint64_t v = static_cast<uint64_t>(q);
    for (int i = 16; i >= 3; --i) {  // the 14 digits after the point, last first
        out[i] = static_cast<char>('0' + v % 10);
        v /= 10;
    }
    out[0] = std::signbit(x) ? '-' : ' ';
    out[1] = static_cast<char>('0' + v);
    out[2] = '.';
    size_t k = 17;
    out[k++] = 'E';
    out[k++] = e < 0 ? '-' : '+';
    const int a = e < 0 ? -e : e;
    out[k++] = static_cast<char>('0' + a / 1000 % 10);
    out[k++] = static_cast<char>('0' + a / 100 % 10);
    out[k++] = static_cast<char>('0' + a / 10 % 10);
    out[k++] = static_cast<char>('0' + a % 10);
    return true;
}

}  // namespace

// Both forms are exact: the digits are the exact binary value rounded to the
// nearest, halves to even, as printf rounds them.  A 128-bit integer path
// covers the usual sizes; std::to_chars (exact as well) the rest; printf only
// the forms neither takes.  The tests compare them with printf over many
// random doubles and every kind of tie.
std::string Fixed(double x, int width, int decimals) {
    if (!std::isfinite(x)) return FixedByPrintf(x, width, decimals);
    if (width < 0 || width > 300 || decimals < 0 || decimals > 60)
        return FixedByPrintf(x, width, decimals);
    char buffer[400];
    if (decimals <= 17) {
        // At most 20 + 1 + 17 + 1 characters before the padding.
        char* end = buffer + sizeof buffer;
        if (char* start = FixedExactBefore(x, width, decimals, end))
            return std::string(start, static_cast<size_t>(end - start));
    }
    size_t length = 0;
    if (decimals > 17 || !FixedExact(x, decimals, buffer, length)) {
        auto result =
            std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, decimals);
        if (result.ec != std::errc()) return FixedByPrintf(x, width, decimals);
        length = static_cast<size_t>(result.ptr - buffer);
    }
    if (std::max(length, static_cast<size_t>(width)) >= sizeof buffer)
        return std::string(width, '*');
    return PadLeft(buffer, length, width);
}

std::string Sci(double x) {
    if (std::isnan(x)) return PadRight(" Nan", 23);
    if (std::isinf(x)) return PadRight(x > 0 ? " +Inf" : " -Inf", 23);
    if (x == 0.0) return std::signbit(x) ? "-0.00000000000000E+0000" : " 0.00000000000000E+0000";
    char out[32];
    if (SciExact(x, out)) return std::string(out, 23);
    // "d.ddddddddddddddE+XX" with at least two exponent digits, as "%.14E".
    char digits[48];
    auto result =
        std::to_chars(digits, digits + sizeof digits, x, std::chars_format::scientific, 14);
    const char* e = std::find(digits, result.ptr, 'e');
    size_t n = 0;
    if (digits[0] != '-') out[n++] = ' ';
    for (const char* p = digits; p < e; ++p) out[n++] = *p;
    out[n++] = 'E';
    out[n++] = e[1];  // the exponent's sign
    size_t expDigits = static_cast<size_t>(result.ptr - (e + 2));
    for (size_t pad = expDigits; pad < 4; ++pad) out[n++] = '0';
    for (const char* p = e + 2; p < result.ptr; ++p) out[n++] = *p;
    return std::string(out, n);
}

std::string IntW(long long n, int width) {
    if (width < 0 || width > 300) {
        char buffer[400];
        std::snprintf(buffer, sizeof buffer, "%*lld", width, n);
        return buffer;
    }
    char digits[24];
    auto result = std::to_chars(digits, digits + sizeof digits, n);
    return PadLeft(digits, static_cast<size_t>(result.ptr - digits), width);
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

long long RoundEvenSlow(double x) {
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

// Steps `first` over a leading "+" or "-"; true for a "-".
bool TakeSign(const char*& first, const char* last) {
    if (first == last || (*first != '+' && *first != '-')) return false;
    return *first++ == '-';
}

// What ScanDecimal found in a number text without its sign.
enum class DecimalText { NotANumber, Exact, General };

// Checks the shape digits [. digits] [(e|E) [sign] digits] (at least one
// digit before the exponent, at least one in it) and computes the value when
// it is an exact double m times or divided by an exact power of ten: m < 2^53
// (at most 19 digits read) and a power of at most 22.  One multiplication or
// division of exact operands is then correctly rounded, the same double any
// exact conversion gives (Clinger's fast path).  Other numbers are General.
DecimalText ScanDecimal(const char* p, const char* last, double& value) {
    static const double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    // Up to 19 digits fit in 64 bits; a longer mantissa goes the general way.
    uint64_t m = 0;
    const char* digitsStart = p;
    while (p < last && IsDigit(*p)) m = m * 10 + static_cast<uint64_t>(*p++ - '0');
    int seen = static_cast<int>(p - digitsStart);
    int scale = 0;  // decimal exponent of the last digit read
    if (p < last && *p == '.') {
        const char* fractionStart = ++p;
        while (p < last && IsDigit(*p)) m = m * 10 + static_cast<uint64_t>(*p++ - '0');
        scale = -static_cast<int>(p - fractionStart);
        seen -= scale;
    }
    if (seen == 0) return DecimalText::NotANumber;
    if (p < last) {
        if (*p != 'e' && *p != 'E') return DecimalText::NotANumber;
        ++p;
        bool minus = false;
        if (p < last && (*p == '+' || *p == '-')) minus = *p++ == '-';
        if (p == last) return DecimalText::NotANumber;
        long exponent = 0;
        for (; p < last; ++p) {
            if (!IsDigit(*p)) return DecimalText::NotANumber;
            if (exponent < 100000) exponent = exponent * 10 + (*p - '0');
        }
        if (exponent > 1000) return DecimalText::General;
        scale += minus ? -static_cast<int>(exponent) : static_cast<int>(exponent);
    }
    if (seen > 19 || m > (uint64_t{1} << 53)) return DecimalText::General;
    if (m == 0) {
        value = 0.0;
        return DecimalText::Exact;
    }
    if (scale < -22 || scale > 22) return DecimalText::General;
    const double exact = static_cast<double>(m);
    value = scale >= 0 ? exact * kExactPowers[scale] : exact / kExactPowers[-scale];
    return DecimalText::Exact;
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
    return ParseReal(token.data(), token.size(), value);
}

// Decimal exponent of the leading significant digit of a number text of the
// shape digits[.digits][(e|E)[sign]digits]: positive for 1e400, negative for
// 1e-400 (a text without significant digits counts as small).
long DecimalMagnitude(const char* text, size_t length) {
    size_t i = 0;
    long position = 0;  // exponent of the digit at i, before the exponent part
    long integerDigits = 0;
    while (i < length && IsDigit(text[i])) ++i, ++integerDigits;
    long leading = -1000000;
    size_t j = 0;
    for (; j < i; ++j) {
        if (text[j] != '0') {
            leading = integerDigits - 1 - static_cast<long>(j);
            break;
        }
    }
    if (i < length && text[i] == '.') {
        ++i;
        position = -1;
        for (; i < length && IsDigit(text[i]); ++i, --position) {
            if (leading == -1000000 && text[i] != '0') leading = position;
        }
    }
    long exponent = 0;
    if (i < length && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool minus = i < length && text[i] == '-';
        if (i < length && (text[i] == '+' || text[i] == '-')) ++i;
        for (; i < length && IsDigit(text[i]); ++i) {
            if (exponent < 100000000) exponent = exponent * 10 + (text[i] - '0');
        }
        if (minus) exponent = -exponent;
    }
    return leading == -1000000 ? -1000000 : leading + exponent;
}

bool ParseReal(const char* token, size_t length, double& value) {
    const char* first = token;
    const char* last = token + length;
    const bool negative = TakeSign(first, last);
    double fast = 0.0;
    switch (ScanDecimal(first, last, fast)) {
        case DecimalText::NotANumber:
            return false;
        case DecimalText::Exact:
            value = negative ? -fast : fast;
            return true;
        case DecimalText::General:
            break;
    }
    // The usual form, digits on both sides of any point, goes to from_chars
    // as it stands (the shape is checked: a point can only follow the digits).
    const char* dot = first;
    while (dot < last && IsDigit(*dot)) ++dot;
    if (dot > first && (dot == last || *dot != '.' || (dot + 1 < last && IsDigit(dot[1])))) {
        double v = 0.0;
        auto result = std::from_chars(first, last, v);
        if (result.ptr == last && result.ec == std::errc()) {
            value = negative ? -v : v;
            return true;
        }
    }
    // from_chars does not take "5." or ".5" on every library; complete them
    // (at most two characters more, and a closing zero byte for strtod).
    char local[96];
    std::string large;
    const size_t room = static_cast<size_t>(last - first) + 3;
    char* body = local;
    if (room > sizeof local) {
        large.resize(room);
        body = &large[0];
    }
    size_t n = 0;
    if (*first == '.') body[n++] = '0';
    for (const char* p = first; p < last; ++p) {
        body[n++] = *p;
        if (*p == '.' && (p + 1 == last || !IsDigit(p[1]))) body[n++] = '0';
    }
    body[n] = '\0';
    double v = 0.0;
    auto result = std::from_chars(body, body + n, v);
    if (result.ec == std::errc::result_out_of_range) {
        // Too small for a real reads 0; too large is no number a real can hold.
        if (DecimalMagnitude(body, n) > 0) return false;
        v = 0.0;
    } else if (result.ec != std::errc() || result.ptr != body + n) {
        return false;
    }
    value = negative ? -v : v;
    return true;
}

bool ParseInt(const std::string& token, long& value) {
    return ParseInt(token.data(), token.size(), value);
}

bool ParseInt(const char* token, size_t length, long& value) {
    const char* first = token;
    const char* last = token + length;
    const bool negative = TakeSign(first, last);
    // One sign at most: from_chars would take a second minus itself.
    if (first == last || !IsDigit(*first)) return false;
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

namespace {

// `text` without its minus sign when every digit in it is 0.
std::string WithoutNegativeZero(std::string text) {
    if (!text.empty() && text[0] == '-' &&
        std::none_of(text.begin(), text.end(), [](char c) { return c >= '1' && c <= '9'; }))
        text.erase(0, 1);
    return text;
}

}  // namespace

std::string FixedPrecision(double x, int precision, int decimals) {
    precision = std::clamp(precision, 1, 17);
    decimals = std::clamp(decimals, 0, 60);
    if (!std::isfinite(x) || x == 0.0) return WithoutNegativeZero(Fixed(x, 0, decimals));
    // The value rounded to `precision` significant digits: "-d.ddde+XX".
    char buffer[48];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, x,
                                      std::chars_format::scientific, precision - 1);
    const std::string sci(buffer, result.ptr);
    const size_t e = sci.find('e');
    long exponent = 0;
    ParseInt(sci.substr(e + 1), exponent);
    if (exponent >= precision) {
        std::string mantissa = sci.substr(0, e);
        if (mantissa.find('.') != std::string::npos) {
            mantissa.erase(mantissa.find_last_not_of('0') + 1);
            if (mantissa.back() == '.') mantissa.pop_back();
        }
        return mantissa + "E" + sci.substr(e + 1);
    }
    // The decimals end before the last significant digit: plain rounding.
    if (exponent + 1 + decimals <= precision) return WithoutNegativeZero(Fixed(x, 0, decimals));
    // Otherwise the significant digits in place, zeros after them.
    std::string digits;
    for (size_t i = 0; i < e; ++i)
        if (IsDigit(sci[i])) digits += sci[i];
    auto digitAt = [&](long i) { return i >= 0 && i < precision ? digits[i] : '0'; };
    std::string text = sci[0] == '-' ? "-" : "";
    if (exponent < 0) text += '0';
    for (long i = 0; i <= exponent; ++i) text += digitAt(i);
    if (decimals > 0) text += '.';
    for (long i = 1; i <= decimals; ++i) text += digitAt(exponent + i);
    return WithoutNegativeZero(text);
}

}  // namespace tarn
