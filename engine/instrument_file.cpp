#include "engine/instrument_file.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "engine/engine_state.h"
#include "engine/formats/analysis_settings_layout.h"
#include "engine/formats/instrument_layout.h"
#include "engine/formats/result_names.h"
#include "engine/formats/settings_text.h"
#include "engine/program_state.h"
#include "engine/wavelength_shift.h"
#include "platform/paths.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

constexpr double kSmallestIrradianceFactor = 1e-12;
constexpr long kMaxHeaderLineCount = 65535;

// Moves `in` to the start of 0-based line `line` of the layout when it stands
// before it (a value read across a line end has already moved it further).
void At(TextIn& in, InstrumentLine line) {
    SkipToLine(in, line + 1);
}

// Header-line count, and "no_id_met" anywhere in the rest of the line.
void ReadHeaderCountLine(TextIn& in) {
    At(in, kInstrumentHeaderCount);
    int line = in.LineNumber();
    long count = in.Int();
    if (HasNoIdMet(in.ReadLine())) Instrument.NoIdMet = true;
    long used = std::clamp(count, 0L, kMaxHeaderLineCount);
    if (used != count) {
        LogLine(in.Name() + " line " + IntText(line) + ": header line count " + IntText(count) +
                " outside 0.." + IntText(kMaxHeaderLineCount) + "; " + IntText(used) + " used");
    }
    Instrument.HeaderLineCount = static_cast<unsigned>(used);
}

// Line 4: the scan directory with the separator at its end (an empty line is
// the working directory), then the id's sub-directory unless no_id_met.
std::string MeasurementDirectory(const std::string& text) {
    std::string dir = AsDirectory(text);
    if (!Instrument.NoIdMet) dir += AsDirectory(CommandLine.IdMet);
    return dir;
}

// Fine-grid step: among the steps finer than StepRatioFactor x RangeStep, the
// finest whose FWHM/step ratio stays within StepRatioHigh once one has reached
// StepRatioLow, or the first step beyond StepRatioHigh; else the last step in use.
void ChooseFineGridStep() {
    int length = std::clamp(Analysis.StepTableLength, 1, kMaxStepLevels);
    bool reached = false;
    for (int i = 1; i <= length; ++i) {
        double step = StepTable.Steps[i];
        if (!(step < Analysis.StepRatioFactor * Instrument.RangeStep)) continue;
        double q = Instrument.Fwhm / step;
        if (q <= Analysis.StepRatioHigh) {
            StepTable.LevelCount = i;
            if (q >= Analysis.StepRatioLow) reached = true;
        } else {
            if (!reached) StepTable.LevelCount = i;
            reached = true;
        }
    }
    if (!reached) StepTable.LevelCount = length;
    Spectra.SimulatedSpectrum[0] = StepTable.Steps[StepTable.LevelCount];
}

}  // namespace

void Inlezen_Instrument() {
    Instrument.IrradianceFactor = 1.0;
    std::string path = Paths.MainPath + CommandLine.IdMet + ".dfa";
    if (!TextFileExists(path)) {
        HaltWithErrorBlock("Error in TARNpelo main programm",
                           "Unable to find Instrument Default file:", "Error in TARN main routine",
                           "Unable to find Default file:", path, "C1");
    }
    TextIn in;
    in.OpenOrThrow(path);
    At(in, kInstrumentSettingsName);
    Instrument.SettingsFileName = in.ReadLine();
    ReadHeaderCountLine(in);
    At(in, kInstrumentExtension);
    Instrument.MeasurementExtension = in.ReadText(kMaxExtensionLength);
    At(in, kInstrumentDirectory);
    Instrument.MeasurementDirectory = MeasurementDirectory(in.ReadLine());
    At(in, kInstrumentRange);
    Instrument.RangeStart = in.Real();
    Instrument.RangeEnd = in.Real();
    Instrument.RangeStep = in.Real();
    in.NextLine();
    At(in, kInstrumentHalfWidth);
    Instrument.HalfWidthPoints = in.Int();
    in.NextLine();
    At(in, kInstrumentSlitChar);
    std::string slit = in.ReadLine();
    Instrument.SlitChar = slit.empty() ? ' ' : slit[0];
    At(in, kInstrumentFwhm);
    Instrument.Fwhm = in.Real();
    in.NextLine();
    At(in, kInstrumentLineStep);
    Instrument.LineStep = in.Int();
    in.NextLine();
    // The optional lines, read while the file has more lines.
    auto ended = [&] { return in.Eof(); };
    if (!ended()) {
        At(in, kInstrumentIrradianceFactor);
        Instrument.IrradianceFactor = in.Real();
        in.NextLine();
    }
    if (Instrument.IrradianceFactor < kSmallestIrradianceFactor) Instrument.IrradianceFactor = 1.0;
    if (!ended()) {
        At(in, kInstrumentSdShiftThreshold);
        Analysis.SdShiftThreshold = in.Real();
        in.NextLine();
    }
    in.Close();

    Analysis.GridMargin =
        GridMarginFor(Engine.SlitRangeFactor, Instrument.Fwhm, Analysis.MaximumShift);
    ChooseFineGridStep();
}

void WriteOzoneShiftSettings() {
    AnalysisSettingsValues v{};
    const double margin = Analysis.GridMargin;
    v.SimulationName = Paths.SimulationFileName;
    v.MaximumShift = Analysis.MaximumShift;
    v.HalfWidthPoints = Instrument.HalfWidthPoints;
    v.MeasurementCopyName = Paths.MeasurementCopyName;
    v.ShiftResultName = kShiftResultName;
    v.ShiftCurveName = kShiftCurveName;
    v.Longitude = Analysis.Longitude;
    v.Latitude = Analysis.Latitude;
    v.EtShift = Analysis.EtShift;
    v.O3Shift = Analysis.O3Shift;
    v.EtFileName = Paths.EtFileName;
    v.SimSpectrumName = Paths.SimSpectrumName;
    v.O3CrossFileName = Paths.O3CrossFileName;
    v.InstrumentId = CommandLine.IdMet;
    v.GridLow = Analysis.GridLow - margin;
    v.GridHigh = Analysis.GridHigh + margin;
    v.GridStep = Analysis.GridStep;
    v.RangeStart = Instrument.RangeStart;
    v.RangeEnd = Instrument.RangeEnd;
    v.RangeStep = Instrument.RangeStep;
    v.Fwhm = Instrument.Fwhm;
    v.SlitChar = Instrument.SlitChar;
    v.SlitFileName = CommandLine.IdMet + ".sli";
    std::copy(Analysis.OzoneFitValues, Analysis.OzoneFitValues + 4, v.OzoneFitValues);
    v.StepCount = std::clamp(StepTable.LevelCount, 1, kMaxStepLevels);
    std::copy(StepTable.Steps, StepTable.Steps + kMaxStepLevels + 1, v.Steps);
    v.GridMargin = margin;
    v.SlitRangeFactor = Engine.SlitRangeFactor;
    // With spike correction the model grid, otherwise the span of the clipped windows.
    const int last = std::clamp(Windows.Count, 1, kMaxWindows);
    v.FinalRangeLow = Analysis.SpikeCorrectionOn ? Analysis.GridLow : Windows.Lower[1];
    v.FinalRangeHigh = Analysis.SpikeCorrectionOn ? Analysis.GridHigh : Windows.Upper[last];
    std::copy(Analysis.TimeCorrection, Analysis.TimeCorrection + 4, v.TimeCorrection);
    const std::string path = Paths.MainPath + Instrument.SettingsFileName;
    CreateWithLines(path, AnalysisSettingsLines(v, path));
}

}  // namespace tarn
