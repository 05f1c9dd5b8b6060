#include "engine/formats/instrument_layout.h"

#include "platform/text_format.h"

namespace tarn {

std::string HeaderCountText(long count, bool noIdMet) {
    std::string text = IntText(count);
    if (noIdMet) text += std::string(" ") + kNoIdMetWord;
    return text;
}

bool HasNoIdMet(const std::string& headerCountLine) {
    return headerCountLine.find(kNoIdMetWord) != std::string::npos;
}

std::vector<std::string> InstrumentDefaultsLines(const InstrumentDefaultsTexts& t) {
    std::vector<std::string> lines(kInstrumentWrittenLineCount);
    lines[kInstrumentSettingsName] = t.SettingsFileName;
    lines[kInstrumentHeaderCount] = t.HeaderCount;
    lines[kInstrumentExtension] = t.Extension;
    lines[kInstrumentDirectory] = t.Directory;
    lines[kInstrumentRange] = t.Range;
    lines[kInstrumentHalfWidth] = t.HalfWidth;
    lines[kInstrumentSlitChar] = t.SlitChar;
    lines[kInstrumentFwhm] = t.Fwhm;
    lines[kInstrumentLineStep] = t.LineStep;
    return lines;
}

}  // namespace tarn
