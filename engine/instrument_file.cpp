#include "engine/instrument_file.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "engine/defaults.h"
#include "engine/engine_state.h"
#include "engine/program_state.h"
#include "engine/wavelength_shift.h"
#include "platform/paths.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

// Result and curve file names of the shift unit; no defaults file carries them.
constexpr const char* kShiftResultName = "shift.shi";
constexpr const char* kShiftCurveName = "curve.shi";
constexpr double kSmallestIrradianceFactor = 1e-12;
constexpr long kMaxHeaderLineCount = 65535;

std::string Reals(std::initializer_list<double> values) {
    std::string text;
    for (double v : values) text += (text.empty() ? "" : " ") + Sci(v);
    return text;
}

// Line 2: header-line count, and "no_id_met" anywhere in the rest of the line.
void ReadHeaderCountLine(TextIn& in) {
    int line = in.LineNumber();
    long count = in.Int();
    if (in.ReadLine().find("no_id_met") != std::string::npos) Instrument.NoIdMet = true;
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
    std::string dir = text;
    if (!dir.empty() && dir.back() != kPathSeparator) dir += kPathSeparator;
    if (!Instrument.NoIdMet) dir += CommandLine.IdMet + kPathSeparator;
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
    Instrument.SettingsFileName = in.ReadLine();
    ReadHeaderCountLine(in);
    Instrument.MeasurementExtension = in.ReadText(10);
    Instrument.MeasurementDirectory = MeasurementDirectory(in.ReadLine());
    Instrument.RangeStart = in.Real();
    Instrument.RangeEnd = in.Real();
    Instrument.RangeStep = in.Real();
    in.NextLine();
    Instrument.HalfWidthPoints = in.Int();
    in.NextLine();
    std::string slit = in.ReadLine();
    Instrument.SlitChar = slit.empty() ? ' ' : slit[0];
    Instrument.Fwhm = in.Real();
    in.NextLine();
    Instrument.LineStep = in.Int();
    in.NextLine();
    // Optional lines 10 and 11, read while the file has more lines.
    auto ended = [&] { return in.Eof(); };
    if (!ended()) {
        Instrument.IrradianceFactor = in.Real();
        in.NextLine();
    }
    if (Instrument.IrradianceFactor < kSmallestIrradianceFactor) Instrument.IrradianceFactor = 1.0;
    if (!ended()) {
        Analysis.SdShiftThreshold = in.Real();
        in.NextLine();
    }
    in.Close();

    Analysis.GridMargin = Engine.SlitRangeFactor * Instrument.Fwhm + Analysis.MaximumShift;
    ChooseFineGridStep();
}

void WriteOzoneShiftSettings() {
    const double margin = Analysis.GridMargin;
    int length = std::clamp(StepTable.LevelCount, 1, kMaxStepLevels);
    std::string steps;
    for (int i = 1; i <= length; ++i) steps += Sci(StepTable.Steps[i]);
    int last = std::clamp(Windows.Count, 1, kMaxWindows);
    std::string span = Analysis.SpikeCorrectionOn ? Reals({Analysis.GridLow, Analysis.GridHigh})
                                                  : Reals({Windows.Lower[1], Windows.Upper[last]});
    const long* t = Analysis.TimeCorrection;
    std::vector<std::string> lines = {
        Paths.SimulationFileName,
        Sci(Analysis.MaximumShift),
        IntText(Instrument.HalfWidthPoints),
        Paths.MeasurementCopyName,
        kShiftResultName,
        kShiftCurveName,
        Fixed(Analysis.Longitude, 10, 4) + " " + Fixed(Analysis.Latitude, 10, 4) +
            " geo_long  and geolat",
        Fixed(Analysis.EtShift, 10, 3) + " " + Fixed(Analysis.O3Shift, 10, 3) +
            " susim en ozonX shift normaal=0",
        Paths.EtFileName,
        Paths.SimSpectrumName,
        Paths.SimulationFileName,
        Paths.O3CrossFileName,
        CommandLine.IdMet,
        Reals({Analysis.GridLow - margin, Analysis.GridHigh + margin, Analysis.GridStep}),
        Reals({Instrument.RangeStart, Instrument.RangeEnd, Instrument.RangeStep}),
        Sci(Instrument.Fwhm),
        std::string(1, Instrument.SlitChar),
        CommandLine.IdMet + ".sli",
        Reals({Analysis.OzoneFitValues[0], Analysis.OzoneFitValues[1], Analysis.OzoneFitValues[2],
               Analysis.OzoneFitValues[3]}),
        IntText(length),
        steps,
        Reals({margin, Engine.SlitRangeFactor}),
        span,
        IntText(t[0]) + " " + IntText(t[1]) + " " + IntText(t[2]) + " " + IntText(t[3])};
    CreateWithLines(Paths.MainPath + Instrument.SettingsFileName, lines);
}

}  // namespace tarn
