// Fields of the defaults-file lines that the settings dialog shows, and the
// number texts it shows them in.  Lines are cut into fields by the engine's
// field splitter (separator " ", at most 100 fields of at most 60
// characters).  Numbers are written locale-free, without digit grouping, so
// that every text the dialog writes back reads as a number in the engine.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace tarn::tarncall {

// Fields the dialog takes from one line.
constexpr size_t kDialogFieldCapacity = 100;

// The fields of `line` in order, each without blanks; the empty fields that
// the splitter gives for a line of blanks or a line ending in a blank are
// left out.
std::vector<std::string> SplitFields(const std::string& line);

// The dialog's number shape: at most `Precision` significant digits and
// `Decimals` decimals (FixedPrecision).
struct NumberShape {
    int Precision;
    int Decimals;
};

// `x` with at least `shape.Decimals` decimals and at most `shape.Precision`
// significant digits (FixedPrecision), and with more decimals where those
// would change the value at that precision, so that showing a value and
// writing it back never changes it: 0.5 in the grouped shape is "0.50",
// 0.005 is "0.005".
std::string ShownNumber(double x, const NumberShape& shape);

// The grouped shape of the shift edits: two decimals, at most 6 significant
// digits ("1000.00", never "1,000.00").
constexpr NumberShape kGroupedShape{6, 2};

// The first fields, one per shape, each written in its shape (ShownNumber)
// when it is a number and as it stands when it is not, joined by `separator`.  A line
// with fewer fields gives fewer texts.
std::string ShapedFields(const std::vector<std::string>& fields,
                         std::initializer_list<NumberShape> shapes, const std::string& separator);

// The first `count` fields written grouped (ShownNumber), each preceded by
// two blanks:
// "290 400 0.5 1.0" gives "  290.00  400.00  0.50  1.00".  A field that is
// not a number stands as it is.
std::string FormatFieldValues(int count, const std::vector<std::string>& fields);

// `values` written grouped (ShownNumber), each preceded by two blanks.
std::string FormatValues(const std::vector<double>& values);

// The same text, and the values of the first `count` fields; Complete is
// false when the line has fewer fields or one of them is not a number (its
// value is then 0).
struct FieldValues {
    std::string Text;
    std::vector<double> Values;
    bool Complete = false;
};
FieldValues ParseAndFormatFieldValues(int count, const std::vector<std::string>& fields);

}  // namespace tarn::tarncall
