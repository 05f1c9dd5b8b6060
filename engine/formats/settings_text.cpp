#include "engine/formats/settings_text.h"

#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

std::string Reals(std::initializer_list<double> values) {
    std::string text;
    for (double v : values) text += (text.empty() ? "" : " ") + Sci(v);
    return text;
}

std::string Reals(std::initializer_list<double> values, const std::string& file) {
    FileText text(file);
    for (double v : values) (text.Str().empty() ? text : text.Text(" ")).Sci(v);
    return text.Str();
}

std::string Ints(std::initializer_list<long long> values) {
    std::string text;
    for (long long v : values) text += (text.empty() ? "" : " ") + IntText(v);
    return text;
}

std::string SwitchText(bool on) {
    return on ? "true" : "false";
}

bool IsSwitchOn(const std::string& line) {
    return line.find("true") != std::string::npos;
}

void SkipToLine(TextIn& in, int line) {
    while (in.LineNumber() < line && !in.Eof()) in.NextLine();
}

}  // namespace tarn
