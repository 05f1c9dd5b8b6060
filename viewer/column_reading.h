// Reading two columns of a result file: each line is split at blanks into at
// most kMaxColumns fields (further fields are dropped), and the fields of the
// chosen columns are converted to reals.  A line where either field is missing
// or is no number (a "!" header line, a status word) gives no pair.
#pragma once

#include <string>
#include <vector>

namespace tarn {
class TextIn;
}

namespace tarn::resplot {

// Highest column number: the size of the field table.
constexpr int kMaxColumns = 100;

struct ColumnPair {
    double X;
    double Y;
};

// True when `column` is a field number 1..kMaxColumns.
bool IsValidColumn(long column);

// The numbers in columns `xColumn` and `yColumn` (1 = first field) of `line`;
// false, x and y untouched, when either is missing, not a number or not finite,
// or when a column number lies outside 1..kMaxColumns.
[[nodiscard]] bool ColumnPairOfLine(const std::string& line, long xColumn, long yColumn, double& x, double& y);

// Every pair of the open `file` from its current line to its end, in file order.
std::vector<ColumnPair> ReadColumnPairs(TextIn& file, long xColumn, long yColumn);

}  // namespace tarn::resplot
