#include "viewer/column_reading.h"

#include <cmath>
#include <cstdint>

#include "engine/formats/field_split.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn::resplot {

namespace {

bool FieldValue(const std::string* fields, uint16_t count, long column, double& value) {
    return column <= count && ParseReal(fields[column], value) && std::isfinite(value);
}

}  // namespace

bool IsValidColumn(long column) {
    return column >= 1 && column <= kMaxColumns;
}

bool ColumnPairOfLine(const std::string& line, long xColumn, long yColumn, double& x, double& y) {
    if (!IsValidColumn(xColumn) || !IsValidColumn(yColumn)) return false;
    std::string fields[kMaxColumns + 1];
    uint16_t count = 0;
    SplitString(line, fields, kMaxColumns, count, " ");
    double xValue = 0.0, yValue = 0.0;
    if (!FieldValue(fields, count, xColumn, xValue) || !FieldValue(fields, count, yColumn, yValue))
        return false;
    x = xValue;
    y = yValue;
    return true;
}

std::vector<ColumnPair> ReadColumnPairs(TextIn& file, long xColumn, long yColumn) {
    std::vector<ColumnPair> pairs;
    while (!file.Eof()) {
        ColumnPair pair{0.0, 0.0};
        if (ColumnPairOfLine(file.ReadLine(), xColumn, yColumn, pair.X, pair.Y))
            pairs.push_back(pair);
    }
    return pairs;
}

}  // namespace tarn::resplot
