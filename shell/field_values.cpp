#include "shell/field_values.h"

#include <cstdint>

#include "engine/formats/field_split.h"
#include "platform/text_format.h"

namespace tarn::tarncall {

namespace {

// Decimals beyond which no shape goes.
constexpr int kMostDecimals = 20;

// The text of one field in `shape`, or the field itself when it is no number.
std::string ShapedField(const std::string& field, const NumberShape& shape) {
    double value = 0.0;
    if (!ParseReal(field, value)) return field;
    return ShownNumber(value, shape);
}

}  // namespace

std::string ShownNumber(double x, const NumberShape& shape) {
    double kept = 0.0;
    ParseReal(FixedPrecision(x, shape.Precision, kMostDecimals), kept);
    for (int decimals = shape.Decimals; decimals < kMostDecimals; ++decimals) {
        const std::string text = FixedPrecision(x, shape.Precision, decimals);
        double back = 0.0;
        if (ParseReal(text, back) && back == kept) return text;
    }
    return FixedPrecision(x, shape.Precision, kMostDecimals);
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::string fields[kDialogFieldCapacity + 1];
    uint16_t count = 0;
    SplitString(line, fields, kDialogFieldCapacity, count, " ");
    std::vector<std::string> kept;
    for (uint16_t i = 1; i <= count; ++i)
        if (!fields[i].empty()) kept.push_back(fields[i]);
    return kept;
}

std::string ShapedFields(const std::vector<std::string>& fields,
                         std::initializer_list<NumberShape> shapes, const std::string& separator) {
    std::string text;
    size_t i = 0;
    for (const NumberShape& shape : shapes) {
        if (i >= fields.size()) break;
        if (i > 0) text += separator;
        text += ShapedField(fields[i++], shape);
    }
    return text;
}

std::string FormatValues(const std::vector<double>& values) {
    std::string text;
    for (double value : values) text += "  " + ShownNumber(value, kGroupedShape);
    return text;
}

std::string FormatFieldValues(int count, const std::vector<std::string>& fields) {
    return ParseAndFormatFieldValues(count, fields).Text;
}

FieldValues ParseAndFormatFieldValues(int count, const std::vector<std::string>& fields) {
    FieldValues result;
    result.Complete = count >= 0 && fields.size() >= static_cast<size_t>(count);
    for (int i = 0; i < count; ++i) {
        double value = 0.0;
        if (static_cast<size_t>(i) < fields.size()) {
            if (!ParseReal(fields[i], value)) result.Complete = false;
            result.Text += "  " + ShapedField(fields[i], kGroupedShape);
        }
        result.Values.push_back(value);
    }
    return result;
}

}  // namespace tarn::tarncall
