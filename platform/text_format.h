// Locale-independent number forms of the system's text files, and the
// rounding helpers the engine uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarn {

// Real in fixed notation, right-aligned in `width` characters with `decimals`
// decimals; wider when the number needs more room (as "x:w:d").  NaN and the
// infinities give printf's text ("nan", "-inf"): only for the console and
// messages, a file takes numbers through the number calls (text_file.h).
std::string Fixed(double x, int width, int decimals);

// Real with `decimals` decimals and at most `precision` (1..17) significant
// digits, without padding: the value is rounded to `precision` significant
// digits and shown with zeros after them (3.14159265 with precision 4 and 5
// decimals is "3.14200").  A value with more than `precision` digits before
// the point is written in scientific form, "1.23457E+06".  Never "-0".
std::string FixedPrecision(double x, int precision, int decimals);

// Real in the default real notation: 23 characters, a blank or "-", one digit,
// ".", 14 digits, "E", the exponent's sign and four digits
// (290.0 -> " 2.90000000000000E+0002"; NaN " Nan", infinities " +Inf" and
// " -Inf", padded to 23).
std::string Sci(double x);

// Integer right-aligned in `width` characters (wider when needed).
std::string IntW(long long n, int width);

// Integer without padding.
std::string IntText(long long n);

// Text padded with blanks on the right to `width` characters (not cut).
std::string PadRight(const std::string& text, size_t width);

// Text cut to its first `maxLength` characters.
std::string Cut(const std::string& text, size_t maxLength);

// Nearest integer, halves to the even neighbour (0 for NaN and infinities,
// clamped to the range of long long).
long long RoundEvenSlow(double x);
inline long long RoundEven(double x) {
    // Below 2^52 in size, adding and removing 2^52 (with x's sign) leaves the
    // integer that the default rounding mode picks: nearest, halves to even.
    constexpr double kTwo52 = 4503599627370496.0;
    if (x > -kTwo52 && x < kTwo52) {
        const double c = x < 0.0 ? -kTwo52 : kTwo52;
        return static_cast<long long>((x + c) - c);
    }
    return RoundEvenSlow(x);
}

// Integer part cut toward zero, as an integer and as a real; fractional part.
long long Trunc(double x);
double IntPart(double x);
double FracPart(double x);

// Parses a whole token as a real: optional sign, digits with an optional
// decimal point, optional exponent.  False when the token is not a number.
bool ParseReal(const std::string& token, double& value);
// The same for the `length` characters at `token`.
bool ParseReal(const char* token, size_t length, double& value);

// Parses a whole token as a 32-bit integer.  False when it is not one.
bool ParseInt(const std::string& token, long& value);
bool ParseInt(const char* token, size_t length, long& value);

// Parses a real after leading blanks and tabs, ignoring trailing blanks; false
// when the text is not a number (used where a field is converted as a whole).
bool ParseRealTrimmed(const std::string& text, double& value);

// Same for an integer.
bool ParseIntTrimmed(const std::string& text, long& value);

}  // namespace tarn
