#include "engine/formats/analysis_settings_layout.h"

#include <algorithm>
#include <initializer_list>

#include "engine/formats/settings_text.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

// Reads the reals of line `line`, then skips the rest of it.
void ReadRealsAt(TextIn& in, int line, std::initializer_list<double*> values) {
    SkipToLine(in, line);
    for (double* v : values) *v = in.Real();
    in.NextLine();
}

std::string ReadLineAt(TextIn& in, int line) {
    SkipToLine(in, line);
    return in.ReadLine();
}

// The first character of line `line`, a blank for an empty line.
char ReadCharAt(TextIn& in, int line) {
    std::string text = ReadLineAt(in, line);
    return text.empty() ? ' ' : text[0];
}

}  // namespace

std::vector<std::string> AnalysisSettingsLines(const AnalysisSettingsValues& v,
                                               const std::string& file) {
    std::vector<std::string> lines(kSettingsLineCount);
    auto set = [&lines](AnalysisSettingsLine line, const std::string& text) {
        lines[line - 1] = text;
    };
    auto reals = [&file](std::initializer_list<double> values) { return Reals(values, file); };
    FileText location(file), shifts(file), steps(file);
    set(kSettingsSimulationName, v.SimulationName);
    set(kSettingsMaximumShift, reals({v.MaximumShift}));
    set(kSettingsHalfWidth, IntText(v.HalfWidthPoints));
    set(kSettingsMeasurementCopy, v.MeasurementCopyName);
    set(kSettingsShiftResult, v.ShiftResultName);
    set(kSettingsShiftCurve, v.ShiftCurveName);
    location.Fixed(v.Longitude, 10, 4).Text(" ").Fixed(v.Latitude, 10, 4);
    set(kSettingsLocation, location.Text(" geo_long  and geolat").Str());
    shifts.Fixed(v.EtShift, 10, 3).Text(" ").Fixed(v.O3Shift, 10, 3);
    set(kSettingsReferenceShifts, shifts.Text(" susim en ozonX shift normaal=0").Str());
    set(kSettingsEtFile, v.EtFileName);
    set(kSettingsSimulatedSpectrum, v.SimSpectrumName);
    set(kSettingsSimulationOutput, v.SimulationName);
    set(kSettingsO3CrossFile, v.O3CrossFileName);
    set(kSettingsInstrumentId, v.InstrumentId);
    set(kSettingsModelGrid, reals({v.GridLow, v.GridHigh, v.GridStep}));
    set(kSettingsRange, reals({v.RangeStart, v.RangeEnd, v.RangeStep}));
    set(kSettingsFwhm, reals({v.Fwhm}));
    set(kSettingsSlitChar, std::string(1, v.SlitChar));
    set(kSettingsSlitFile, v.SlitFileName);
    const double* fit = v.OzoneFitValues;
    set(kSettingsOzoneFit, reals({fit[0], fit[1], fit[2], fit[3]}));
    set(kSettingsStepCount, IntText(v.StepCount));
    for (long i = 1; i <= std::min<long>(v.StepCount, kMaxStepLevels); ++i) steps.Sci(v.Steps[i]);
    set(kSettingsSteps, steps.Str());
    set(kSettingsMarginAndFactor, reals({v.GridMargin, v.SlitRangeFactor}));
    set(kSettingsFinalRange, reals({v.FinalRangeLow, v.FinalRangeHigh}));
    const long* t = v.TimeCorrection;
    set(kSettingsTimeCorrection, Ints({t[0], t[1], t[2], t[3]}));
    return lines;
}

void ReadShiftSettings(TextIn& in, AnalysisSettingsValues& v) {
    v.SimulationName = ReadLineAt(in, kSettingsSimulationName);
    ReadRealsAt(in, kSettingsMaximumShift, {&v.MaximumShift});
    SkipToLine(in, kSettingsHalfWidth);
    v.HalfWidthPoints = in.Int();
    in.NextLine();
    v.MeasurementCopyName = ReadLineAt(in, kSettingsMeasurementCopy);
    v.ShiftResultName = ReadLineAt(in, kSettingsShiftResult);
    v.ShiftCurveName = ReadLineAt(in, kSettingsShiftCurve);
}

void ReadOzoneSettings(TextIn& in, AnalysisSettingsValues& v, OzoneSettingsLines& found) {
    found = OzoneSettingsLines{};
    ReadRealsAt(in, kSettingsMaximumShift, {&v.MaximumShift});
    ReadRealsAt(in, kSettingsLocation, {&v.Longitude, &v.Latitude});
    ReadRealsAt(in, kSettingsReferenceShifts, {&v.EtShift, &v.O3Shift});
    v.EtFileName = ReadLineAt(in, kSettingsEtFile);
    v.SimSpectrumName = ReadLineAt(in, kSettingsSimulatedSpectrum);
    v.SimulationName = ReadLineAt(in, kSettingsSimulationOutput);
    v.O3CrossFileName = ReadLineAt(in, kSettingsO3CrossFile);
    v.InstrumentId = ReadLineAt(in, kSettingsInstrumentId);
    ReadRealsAt(in, kSettingsModelGrid, {&v.GridLow, &v.GridHigh, &v.GridStep});
    v.SlitChar = ReadCharAt(in, kSettingsSlitChar);
    v.SlitFileName = ReadLineAt(in, kSettingsSlitFile);
    double* fit = v.OzoneFitValues;
    found.FitValues = !in.Eof();
    if (found.FitValues) ReadRealsAt(in, kSettingsOzoneFit, {&fit[0], &fit[1], &fit[2], &fit[3]});
    found.StepGroup = !in.Eof();
    if (found.StepGroup) {
        SkipToLine(in, kSettingsStepCount);
        v.StepCount = in.Int();
        in.NextLine();
        found.StepsRead = v.StepCount >= 1 && v.StepCount <= kMaxStepLevels;
        if (found.StepsRead) {
            for (long i = 1; i <= v.StepCount; ++i) v.Steps[i] = in.Real();
        }
        in.NextLine();
        ReadRealsAt(in, kSettingsMarginAndFactor, {&v.GridMargin, &v.SlitRangeFactor});
    }
    found.FinalRange = !in.Eof();
    if (found.FinalRange)
        ReadRealsAt(in, kSettingsFinalRange, {&v.FinalRangeLow, &v.FinalRangeHigh});
    found.TimeCorrection = !in.Eof();
    if (found.TimeCorrection) {
        SkipToLine(in, kSettingsTimeCorrection);
        for (long& t : v.TimeCorrection) t = in.Int();
        in.NextLine();
    }
}

void ReadDeconvolutionSettings(TextIn& in, AnalysisSettingsValues& v) {
    ReadRealsAt(in, kSettingsModelGrid, {&v.GridLow, &v.GridHigh, &v.GridStep});
    ReadRealsAt(in, kSettingsRange, {&v.RangeStart, &v.RangeEnd, &v.RangeStep});
    ReadRealsAt(in, kSettingsFwhm, {&v.Fwhm});
    v.SlitChar = ReadCharAt(in, kSettingsSlitChar);
    v.SlitFileName = ReadLineAt(in, kSettingsSlitFile);
}

}  // namespace tarn
